# One switch for the whole tree: warnings are errors, and the sanitizer build
# instruments every target that links quill_build_flags.
add_library(quill_build_flags INTERFACE)
target_compile_options(quill_build_flags INTERFACE -Wall -Wextra -Werror)
if(QUILL_SANITIZE)
  target_compile_options(quill_build_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quill_build_flags INTERFACE -fsanitize=address,undefined)
endif()
if(MINGW)
  # Nothing but system DLLs beside our own: the GCC runtime goes in statically.
  target_link_options(quill_build_flags INTERFACE -static-libgcc -static-libstdc++ -static)
endif()
