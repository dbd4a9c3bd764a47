cmake_minimum_required(VERSION 3.25)
# Turns the names column of the string table into C++ constants, and a list
# of every text for the tests. A text without a name, or a name or number used twice,
# stops the build: a caller could not cite the text, or would cite the wrong one.
file(READ ${INPUT} content)
# Only numbers and names matter here; a ';' in a text must not split its line.
string(REPLACE ";" "," content "${content}")
string(REPLACE "\n" ";" lines "${content}")
list(FILTER lines INCLUDE REGEX "^[0-9]")
set(constants "")
set(entries "")
set(seen "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([0-9]+)\t(IDS_[A-Z0-9_]+)\t")
    string(REGEX MATCH "^[0-9]+" id "${line}")
    message(FATAL_ERROR "${INPUT}: text ${id} has no name (number, tab, IDS_NAME, tab, text)")
  endif()
  set(id ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  if(name IN_LIST seen)
    message(FATAL_ERROR "${INPUT}: the name ${name} is given twice")
  endif()
  if("#${id}" IN_LIST seen)
    message(FATAL_ERROR "${INPUT}: the number ${id} is given twice")
  endif()
  list(APPEND seen ${name} "#${id}")
  string(APPEND constants "inline constexpr int ${name} = ${id};\n")
  string(APPEND entries "    {${name}, \"${name}\"},\n")
endforeach()
string(CONCAT text "#pragma once\n// Made by the build from resources/strings.txt; edit that file instead.\n\n"
         "namespace sonvelle {\n\n${constants}\n"
         "struct NamedText {\n    int id;\n    const char* name;\n};\n\n"
         "inline constexpr NamedText kNamedTexts[] = {\n${entries}};\n\n}  // namespace sonvelle\n")
# Rewriting an unchanged header would rebuild every file that cites a text.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${text}")
