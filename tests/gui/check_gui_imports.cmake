# quillgui imports from quillcore.dll exactly the functions it calls, each
# by name: the eight of its commands and progress_set for its information
# line. The calls of Windows 10 for a window's own DPI it looks up at run
# time: imported, they would keep the program from starting on the older
# Windows its manifest names. Reads the import table with objdump in the C
# locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${PROGRAM}
  OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "[ \t](GetDpiFor[A-Za-z]*|[A-Za-z]*ForDpi|[A-Za-z]*DpiAwareness[A-Za-z]*)\n"
  dpi_imports "${dump}")
if(dpi_imports)
  message(FATAL_ERROR "quillgui imports calls of Windows 10: ${dpi_imports}")
endif()

string(REPLACE ";" "," dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(in_quillcore FALSE)
set(sections 0)
set(imported "")
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: (.*)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    set(in_quillcore FALSE)
    if(dll STREQUAL "quillcore.dll")
      set(in_quillcore TRUE)
      math(EXPR sections "${sections} + 1")
    endif()
  elseif(in_quillcore)
    if(line MATCHES "^[ \t]*$")
      set(in_quillcore FALSE)
    elseif(line MATCHES "^\t[0-9a-fA-F]+\t +[0-9]+  ([A-Za-z_][A-Za-z0-9_]*)$")
      list(APPEND imported ${CMAKE_MATCH_1})
    elseif(NOT line MATCHES "Hint/Ord")
      message(FATAL_ERROR "an import from quillcore.dll not by name: '${line}'")
    endif()
  endif()
endforeach()

if(NOT sections EQUAL 1)
  message(FATAL_ERROR "quillcore.dll appears ${sections} times in the import table")
endif()
set(expected SHA256 angouka encode64 file_get fukugouka kagisakusei password_check progress_set
  syomei_kakunin)
list(SORT imported)
list(SORT expected)
if(NOT imported STREQUAL expected)
  message(FATAL_ERROR "quillgui imports from quillcore.dll: ${imported}\nexpected: ${expected}")
endif()
message(STATUS "quillgui imports from quillcore.dll: ${imported}")
