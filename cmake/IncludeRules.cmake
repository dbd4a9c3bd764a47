# Which folders each folder may include from: a header of a layer above, or of
# a sibling it does not build on, fails the build. Run as a script:
#   cmake -DSOURCE_DIR=<tree> -P cmake/IncludeRules.cmake
# A folder includes its own headers as "folder/..." and its tests their own
# fixtures by plain name; both are always allowed.

cmake_minimum_required(VERSION 3.25)

set(layers_resources "")
set(layers_platform resources)
set(layers_encoder "")
set(layers_audio encoder platform resources)
set(layers_store platform resources)
set(layers_skin platform resources)
set(layers_storeui store audio skin platform resources)
set(layers_app store audio encoder platform resources)
set(layers_options app storeui store audio skin platform resources)
set(layers_operations storeui store audio skin platform resources)
set(layers_mainwnd app options operations storeui store audio skin encoder platform resources)
# The program itself sits on top of everything.
set(layers_program mainwnd ${layers_mainwnd})

set(folders resources platform encoder audio store skin storeui app options operations mainwnd)

function(check_file file folder allowed)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^\"]*)\"" _ "${line}")
    set(included "${CMAKE_MATCH_1}")
    if(included MATCHES "^\\.\\./")
      message(SEND_ERROR "${file}: includes ${included} past its folder")
      continue()
    endif()
    if(NOT included MATCHES "^([a-z0-9_]+)/")
      continue()
    endif()
    set(top "${CMAKE_MATCH_1}")
    if(top STREQUAL folder OR top IN_LIST allowed)
      continue()
    endif()
    message(SEND_ERROR "${file}: ${folder} may not include ${included} (allowed: ${folder} ${allowed})")
  endforeach()
endfunction()

function(check_folder dir folder allowed)
  file(GLOB_RECURSE sources ${dir}/*.h ${dir}/*.cpp)
  foreach(file IN LISTS sources)
    if(file STREQUAL "${SOURCE_DIR}/app/main.cpp")
      check_file(${file} app "${layers_program}")
    else()
      check_file(${file} ${folder} "${allowed}")
    endif()
  endforeach()
endfunction()

foreach(folder IN LISTS folders)
  if(EXISTS ${SOURCE_DIR}/${folder})
    check_folder(${SOURCE_DIR}/${folder} ${folder} "${layers_${folder}}")
  endif()
  # A folder's tests see what the folder sees, and the shared test fixtures.
  if(EXISTS ${SOURCE_DIR}/tests/${folder})
    check_folder(${SOURCE_DIR}/tests/${folder} ${folder} "${layers_${folder}};tests;support")
  endif()
endforeach()
