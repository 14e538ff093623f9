# What `cmake --install` puts where, and the packages cpack makes of it:
#   native build:  bin/quillfen, its manual page and bash completion; cpack -G DEB
#   Windows build: Quillfen.exe, quillfen.exe, README, LICENSE and NOTICE
#                  in one folder; cpack -G ZIP
set(QF_SUMMARY "adds the RTP files an RPG Maker 2000/2003 game uses to its project")

if(WIN32)
  # Notepad-friendly copies of the text files, with Windows line ends.
  foreach(doc README.md LICENSE NOTICE)
    file(READ ${PROJECT_SOURCE_DIR}/${doc} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    get_filename_component(name ${doc} NAME_WE)
    file(WRITE ${QF_GENERATED}/package/${name}.txt "${text}")
    install(FILES ${QF_GENERATED}/package/${name}.txt DESTINATION .)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${doc})
  endforeach()
  install(TARGETS quillfen RUNTIME DESTINATION .)
  if(TARGET Quillfen)
    install(TARGETS Quillfen RUNTIME DESTINATION .)
  endif()
else()
  include(GNUInstallDirs)
  install(TARGETS quillfen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/cli/quillfen.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillfen)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/NOTICE
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillfen)

  # The manual page is written from the program's own --version and --help,
  # so that it says what the installed program does.
  if(NOT CMAKE_CROSSCOMPILING)
    set(page ${QF_GENERATED}/quillfen.1)
    set(template ${PROJECT_SOURCE_DIR}/src/cli/quillfen.1.in)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:quillfen> -DTEMPLATE=${template}
              -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS quillfen ${template} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      COMMENT "Writing the manual page quillfen.1")
    add_custom_target(quillfen-man ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endif()

set(CPACK_PACKAGE_NAME Quillfen)
set(CPACK_PACKAGE_VENDOR "The Quillfen developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quillfen ${QF_SUMMARY}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME Quillfen-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME Quillfen-${PROJECT_VERSION}-win32)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME quillfen)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quillfen developers")
  # The libraries the program really links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Quillfen reads a game project's database files, finds the run-time package\n"
      "(RTP) files the game uses but lacks, and copies them into the project, so\n"
      "that the game runs without the RTP installed. It can also copy Harmony.dll\n"
      "from the editor's folder and set FullPackageFlag in RPG_RT.ini, and it\n"
      "writes an exact reference report (text, JSON or HTML) of every resource\n"
      "the game names. The RTP is found through a Wine prefix's registry or given\n"
      "on the command line.")
  string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
endif()
include(CPack)
