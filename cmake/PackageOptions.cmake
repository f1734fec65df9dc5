# Read by cpack before it makes each package. Every time in the packages is
# SOURCE_DATE_EPOCH: CPack's archive writer dates every member with it, the
# DEB generator its own headers, and strip the Windows image headers. It is
# taken from the environment when set there (scripts/package sets it), and
# otherwise is the time of the source tree's last commit, so that cpack run
# by itself makes the same packages.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${CPACK_QUILL_SOURCE_DIR}
    OUTPUT_VARIABLE quill_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE quill_no_commit ERROR_QUIET)
  if(quill_no_commit)
    message(WARNING "Not a git checkout and no SOURCE_DATE_EPOCH: "
      "the packages carry the current time")
  else()
    set(ENV{SOURCE_DATE_EPOCH} ${quill_epoch})
  endif()
endif()
