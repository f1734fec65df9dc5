# Run by cpack once it made the packages, before it copies them out of its
# working folder and writes their checksums: the ZIP archive is written again
# with its members in the order of their names (scripts/sort-zip).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    execute_process(
      COMMAND ${CPACK_QUILL_PYTHON} ${CPACK_QUILL_SOURCE_DIR}/scripts/sort-zip ${package}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
