# find_package(Quillcore): the imported target Quillcore::quill, the quill
# library with the folder of quill.h.
include(${CMAKE_CURRENT_LIST_DIR}/QuillcoreTargets.cmake)
