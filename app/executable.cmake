# The program itself; it needs the main window, which another folder provides.
if(TARGET sonvelle_mainwnd)
  add_executable(sonvelle ${CMAKE_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(sonvelle PRIVATE sonvelle_app sonvelle_app_widgets sonvelle_mainwnd Qt6::Widgets)
  set_target_properties(sonvelle PROPERTIES OUTPUT_NAME sonvelle RUNTIME_OUTPUT_DIRECTORY ${SONVELLE_PROGRAM_DIR})
  # The program refuses to start without its encoder library beside it.
  if(TARGET encodermp3)
    add_dependencies(sonvelle encodermp3)
  endif()
  if(TARGET sonvelle_beep)
    add_dependencies(sonvelle sonvelle_beep)
  endif()
endif()
