# The three kinds of file, read from common/file_types.def, the list that
# the programs compile in: the installer's registry commands for them and
# the expectations of the installer's test are made from it here, so that
# the list is written once.
#   quill_file_types(REGISTER_VAR REMOVE_VAR EXPECTATIONS_FILE)
# REGISTER_VAR and REMOVE_VAR receive NSIS lines that insert the macros of
# packaging/nsis/associate.nsh and dissociate.nsh for every kind;
# EXPECTATIONS_FILE gets one line a kind: extension, program id,
# description and icon index, separated by blanks.
function(quill_file_types register_var remove_var expectations)
  set(list_file ${PROJECT_SOURCE_DIR}/common/file_types.def)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(STRINGS ${list_file} lines REGEX "^QUILL_FILE_TYPE\\(" ENCODING UTF-8)
  set(register "")
  set(remove "")
  set(expected "")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES
       "^QUILL_FILE_TYPE\\(\"([^\" ]+)\", \"([^\" ]+)\", \"([^\" ]+)\", ([0-9]+)\\)$")
      message(FATAL_ERROR "${list_file}: a line not of the list's shape: ${line}")
    endif()
    string(APPEND register
      "  !insertmacro QUILL_FILE_TYPE \"${CMAKE_MATCH_1}\" \"${CMAKE_MATCH_2}\" \"${CMAKE_MATCH_3}\" ${CMAKE_MATCH_4}\n")
    string(APPEND remove
      "  !insertmacro QUILL_REMOVE_FILE_TYPE \"${CMAKE_MATCH_1}\" \"${CMAKE_MATCH_2}\"\n")
    string(APPEND expected "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4}\n")
  endforeach()
  if(register STREQUAL "")
    message(FATAL_ERROR "${list_file} lists no kind of file")
  endif()
  set(${register_var} "${register}" PARENT_SCOPE)
  set(${remove_var} "${remove}" PARENT_SCOPE)
  file(WRITE ${expectations} "${expected}")
endfunction()
