# Windows resources of the DLLs and programs: each target's .rc script holds
# its version record (common/version_info.rc, from quill_version.h) and, for
# a program, its manifest (common/program.manifest).
if(NOT WIN32)
  return()
endif()
enable_language(RC)

# Compiles SCRIPT into an object library of TARGET's own, apart from the
# target's compile options (code page switches, warnings), which the resource
# compiler does not take. Files the script names are looked for in common/,
# the generated folder and the further INCLUDE_DIRS.
#   quill_add_resources(TARGET SCRIPT [INCLUDE_DIRS...])
function(quill_add_resources target script)
  add_library(${target}_resources OBJECT ${script})
  target_include_directories(${target}_resources PRIVATE
    ${PROJECT_SOURCE_DIR}/common ${CMAKE_BINARY_DIR}/generated ${ARGN})
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_BINARY_DIR}/generated/quill_version.h
    ${PROJECT_SOURCE_DIR}/common/version_info.rc
    ${PROJECT_SOURCE_DIR}/common/program.manifest)
  target_link_libraries(${target} PRIVATE ${target}_resources)
endfunction()
