# Sonvelle as an installed application: the program folder <prefix>/lib/sonvelle/
# (executable, encoder, warning sound, help), a launcher on the PATH, the desktop
# file, icons and AppStream data, and the Debian package (cpack -G DEB).
set(SONVELLE_APP_ID example.orsolan.sonvelle)
set(SONVELLE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(SONVELLE_INSTALL_PROGRAM_DIR lib/sonvelle)

# The help beside the program in the build folder too, so that a build runs as installed.
file(GLOB SONVELLE_HELP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/html/*)
set(help_outputs)
foreach(file ${SONVELLE_HELP_FILES})
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${SONVELLE_PROGRAM_DIR}/html/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${SONVELLE_PROGRAM_DIR}/html/${name}
    DEPENDS ${file})
  list(APPEND help_outputs ${SONVELLE_PROGRAM_DIR}/html/${name})
endforeach()
add_custom_target(sonvelle_help ALL DEPENDS ${help_outputs})
if(TARGET sonvelle)
  add_dependencies(sonvelle sonvelle_help)
endif()

# The program icon at the theme's sizes, drawn by the program's own art.
set(SONVELLE_ICON_DIR ${CMAKE_BINARY_DIR}/packaging/icons)
add_executable(sonvelle_make_icons ${SONVELLE_PACKAGING_DIR}/MakeIcons.cpp)
target_link_libraries(sonvelle_make_icons PRIVATE sonvelle_art Qt6::Gui)
set_target_properties(sonvelle_make_icons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${SONVELLE_ICON_DIR}/256x256/apps/${SONVELLE_APP_ID}.png
  COMMAND sonvelle_make_icons ${SONVELLE_ICON_DIR} ${SONVELLE_APP_ID}
  DEPENDS sonvelle_make_icons
  COMMENT "Drawing the program icon for the icon theme")
# Debian wants the change log compressed without a time stamp.
set(SONVELLE_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${SONVELLE_CHANGELOG}
  COMMAND gzip -9 -n -c ${SONVELLE_PACKAGING_DIR}/changelog > ${SONVELLE_CHANGELOG}
  DEPENDS ${SONVELLE_PACKAGING_DIR}/changelog)
set(SONVELLE_MANPAGE ${CMAKE_BINARY_DIR}/packaging/sonvelle.1.gz)
add_custom_command(OUTPUT ${SONVELLE_MANPAGE}
  COMMAND gzip -9 -n -c ${SONVELLE_PACKAGING_DIR}/sonvelle.1 > ${SONVELLE_MANPAGE}
  DEPENDS ${SONVELLE_PACKAGING_DIR}/sonvelle.1)
add_custom_target(sonvelle_packaging_files ALL
  DEPENDS ${SONVELLE_ICON_DIR}/256x256/apps/${SONVELLE_APP_ID}.png ${SONVELLE_CHANGELOG} ${SONVELLE_MANPAGE})

if(TARGET sonvelle)
  install(TARGETS sonvelle RUNTIME DESTINATION ${SONVELLE_INSTALL_PROGRAM_DIR})
endif()
if(TARGET encodermp3)
  install(TARGETS encodermp3 LIBRARY DESTINATION ${SONVELLE_INSTALL_PROGRAM_DIR} PERMISSIONS
    OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
install(FILES ${SONVELLE_PROGRAM_DIR}/Beep1.wav DESTINATION ${SONVELLE_INSTALL_PROGRAM_DIR})
install(FILES ${SONVELLE_HELP_FILES} DESTINATION ${SONVELLE_INSTALL_PROGRAM_DIR}/html)
# The launcher: a relative link, so that the tree works wherever it is unpacked.
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(MAKE_DIRECTORY \"\${bin}\")
  file(CREATE_LINK ../${SONVELLE_INSTALL_PROGRAM_DIR}/sonvelle \"\${bin}/sonvelle\" SYMBOLIC)
  message(STATUS \"Installing: \${bin}/sonvelle -> ../${SONVELLE_INSTALL_PROGRAM_DIR}/sonvelle\")")
install(FILES ${SONVELLE_PACKAGING_DIR}/${SONVELLE_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${SONVELLE_PACKAGING_DIR}/${SONVELLE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${SONVELLE_PACKAGING_DIR}/sonvelle.svg DESTINATION share/icons/hicolor/scalable/apps
  RENAME ${SONVELLE_APP_ID}.svg)
install(DIRECTORY ${SONVELLE_ICON_DIR}/ DESTINATION share/icons/hicolor)
install(FILES ${SONVELLE_MANPAGE} DESTINATION share/man/man1)
install(FILES ${SONVELLE_PACKAGING_DIR}/copyright ${SONVELLE_CHANGELOG} DESTINATION share/doc/sonvelle)

# Packing takes what is built (scripts/package builds first): it never
# rebuilds the whole tree, tests included, on its own.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonvelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Sonvelle developers <sonvelle@orsolan.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recorder for telephone calls and dictated notes")
set(CPACK_PACKAGE_DESCRIPTION "Sonvelle records from the microphone input, by hand or by voice activation,
and keeps each recording as an MP3 file with its name, date, duration and
notes in a work folder, shown as a call log. Recordings can be protected
with a key word, joined, imported, found and sent by e-mail.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.orsolan.example/)
# The shared libraries come from dpkg-shlibdeps; what is loaded or run by
# name is listed here: the media framework's player, MP3 and sound-server plugins,
# and the desktop's handlers for help, web pages and e-mail.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)

# The package built, validated, unpacked and run as an unprivileged user
# (never from a sanitizer build: nobody ships one).
if(SONVELLE_TESTS AND TARGET sonvelle AND NOT SONVELLE_SANITIZE)
  add_test(NAME InstalledProgram
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/InstalledProgramTest.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(InstalledProgram PROPERTIES TIMEOUT 300)
endif()
