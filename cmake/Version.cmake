# The one version number: project(... VERSION ...) of the top CMakeLists.txt.
# qf_version is the header QuillfenVersion.h; qf_version_resource() gives a
# Windows program its VERSIONINFO.
set(QF_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${QF_GENERATED}/QuillfenVersion.h @ONLY)
add_library(qf_version INTERFACE)
target_include_directories(qf_version INTERFACE ${QF_GENERATED})

# qf_version_resource(TARGET FILE DESCRIPTION): FILE is the program's file name.
function(qf_version_resource target file description)
  if(NOT WIN32)
    return()
  endif()
  set(QF_RC_FILE ${file})
  set(QF_RC_NAME ${target})
  set(QF_RC_DESCRIPTION ${description})
  # One per folder: the two programs differ only in the case of their names.
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${QF_GENERATED}/QuillfenVersion.h)
  target_include_directories(${target} PRIVATE ${QF_GENERATED})
endfunction()
