# One switch for the whole tree: warnings are errors, and a sanitizer build
# instruments every target that links quill_build_flags. The same sources give
# the same binaries in any folder: the source and build folders are mapped out
# of the debug data and of __FILE__ (the build folder's map given last, as the
# compiler tries the last first and the build folder may lie inside the source
# folder), and programs find the library beside them through $ORIGIN rather
# than the build folder's path.
add_library(quill_build_flags INTERFACE)
target_compile_options(quill_build_flags INTERFACE -Wall -Wextra -Werror
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
  -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
if(QUILL_SANITIZE)
  target_compile_options(quill_build_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quill_build_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUILL_TSAN)
  if(QUILL_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer and AddressSanitizer do not go in one build")
  endif()
  target_compile_options(quill_build_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quill_build_flags INTERFACE -fsanitize=thread)
endif()
if(MINGW)
  # Nothing but system DLLs beside our own: the GCC runtime goes in statically.
  # No link time in the image header, so that a rebuild gives the same bytes.
  target_link_options(quill_build_flags INTERFACE -static-libgcc -static-libstdc++ -static
    -Wl,--no-insert-timestamp)
endif()
