# Where the installed files go, and the packages CPack makes of them: three
# Debian packages on Linux; a ZIP archive and an NSIS installer on Windows.
# Included before the subfolders, whose install() rules use the folders set
# here. The version of every package is the project version.

if(WIN32)
  # One flat folder: the programs load the DLL, the help file and the wait
  # cursor from beside themselves. Not a choice, so not cached. The files
  # for building other programs go below it, in include/ and lib/.
  set(CMAKE_INSTALL_BINDIR .)
  set(CMAKE_INSTALL_DOCDIR .)
endif()
# With the prefix /usr (the linux preset's) the libraries go to Debian's
# multiarch folder, /usr/lib/x86_64-linux-gnu.
include(GNUInstallDirs)
# Install rules name their package by component: library (the shared
# libraries), development (what building other programs needs) and, for
# every rule that names none, programs.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME programs)

# The values below reach CPack as written, quotes and semicolons included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME quillseal)
set(CPACK_PACKAGE_VENDOR "Quillseal 開発チーム")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quillseal.example/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillseal)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(quill_packaging ${PROJECT_SOURCE_DIR}/packaging)

# Packages made from one commit are the same bytes wherever and whenever they
# are made: every time in them is SOURCE_DATE_EPOCH, the last commit's time
# unless set (cmake/PackageOptions.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageOptions.cmake)
set(CPACK_QUILL_SOURCE_DIR ${PROJECT_SOURCE_DIR})

if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL library development programs)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SOURCE quillseal)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillseal 開発チーム <dev@quillseal.example>")
  set(quill_library_package libquillcore${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${quill_library_package})
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
  # Each description's first line is its summary.
  set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
    "Quillseal's library of key pairs and encrypted, signed archives\n"
    "Quillseal packs files and folders into one archive encrypted for one\n"
    "recipient's public key and signed with the sender's secret key. This\n"
    "package holds its two shared libraries: libquill, the interface for\n"
    "other programs (quill.h, in libquillcore-dev), and libquillcore, which\n"
    "the Quillseal programs use.")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libquillcore-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "development files for Quillseal's library\n"
    "What building a program against Quillseal's library needs: the header\n"
    "quill.h, the link to libquill, the pkg-config module quillcore and the\n"
    "CMake package Quillcore. Such a program makes key pairs, and makes,\n"
    "checks, lists and opens Quillseal archives, on contexts of its own that\n"
    "may run on several threads at once. The header quillcore.h and the link\n"
    "to libquillcore stay for programs built against them.")
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME quillseal)
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION
    "encrypts files and folders for one recipient and signs them\n"
    "The command-line program quillseal packs files and folders into one\n"
    "archive encrypted for one recipient's public key and signed with the\n"
    "sender's secret key, and decrypts and verifies such archives.")
  foreach(description LIBRARY DEVELOPMENT PROGRAMS)
    list(JOIN CPACK_DEBIAN_${description}_DESCRIPTION "" CPACK_DEBIAN_${description}_DESCRIPTION)
  endforeach()
  # The development files and the program go with the library of their own
  # version. The rest of each Depends comes from the libraries the binaries
  # need, as dpkg-shlibdeps finds them; it finds libquillcore.so.1, which
  # another of these packages holds, in the build's own folder.
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${quill_library_package} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "${quill_library_package} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  # Other packages depend on the libraries through the symbols file, which
  # names the version that brought each name, or the shlibs file.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  # dpkg's ldconfig trigger renews the linker cache; the scripts CPack adds
  # that run ldconfig once more are taken out again.
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${quill_packaging}/debian/triggers
    ${quill_packaging}/debian/symbols)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageDebLdconfig.cmake)
else()
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encrypts files and folders for one recipient and signs them")
  # The ZIP archive and the installer hold every component alike.
  set(CPACK_MONOLITHIC_INSTALL ON)
  set(CPACK_SYSTEM_NAME win64)
  # The ZIP generator stores files in the order the file system lists them;
  # scripts/sort-zip writes the archive again in the order of their names.
  find_program(QUILL_PYTHON NAMES python3 REQUIRED)
  set(CPACK_QUILL_PYTHON ${QUILL_PYTHON})
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageSortZip.cmake)

  # The installer: Program Files, a Start-menu entry for the program, the
  # three file types registered to it, Explorer's verbs and a Send To entry,
  # the program's folder on PATH when asked, and an uninstaller that takes
  # all of it away again. Its pages are in the language of Windows (Japanese
  # on a Japanese Windows), from the languages CPack's template includes.
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # One key for every version, so that a new version replaces the old.
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quillseal)
  set(CPACK_NSIS_PACKAGE_NAME Quillseal)
  set(CPACK_NSIS_DISPLAY_NAME "Quillseal ${PROJECT_VERSION}")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_PACKAGE_EXECUTABLES quillgui Quillseal)
  set(CPACK_NSIS_INSTALLED_ICON_NAME quillgui.exe)
  set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/gui/images/quillseal.ico)
  set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/gui/images/quillseal.ico)
  # The licence, as Notepad reads it (ASCII with CR LF), is the page after
  # the welcome page; packaging/CMakeLists.txt installs it with the programs.
  set(quill_licence_text ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${quill_licence_text} @ONLY NEWLINE_STYLE CRLF)
  set(CPACK_RESOURCE_FILE_LICENSE ${quill_licence_text})
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  set(CPACK_NSIS_URL_INFO_ABOUT ${CPACK_PACKAGE_HOMEPAGE_URL})
  # A 64-bit installer for the 64-bit program: it sees the registry and
  # Program Files as the program and the shell do, and, being Unicode, takes
  # the Japanese names of the file types there whatever the code page. The
  # installer stores no file times (files take the time they are installed),
  # as those would be the times CPack staged them.
  # FileFunc.nsh reads the options of a silent install's command line.
  set(CPACK_NSIS_DEFINES "Target amd64-unicode\n  SetDateSave off\n  !include FileFunc.nsh")
  # The registry commands for the file types come from the list the programs
  # compile in; the installer's test reads its expectations from the same.
  include(${PROJECT_SOURCE_DIR}/cmake/FileTypes.cmake)
  quill_file_types(quill_register_types quill_remove_types
    ${CMAKE_BINARY_DIR}/packaging/file_types.txt)
  file(READ ${quill_packaging}/nsis/associate.nsh quill_associate)
  file(READ ${quill_packaging}/nsis/dissociate.nsh quill_dissociate)
  file(READ ${quill_packaging}/nsis/shell.nsh quill_shell)
  file(READ ${quill_packaging}/nsis/unshell.nsh quill_unshell)
  string(REPLACE "@QUILL_REGISTER_TYPES@" "${quill_register_types}" quill_associate
    "${quill_associate}")
  string(REPLACE "@QUILL_REMOVE_TYPES@" "${quill_remove_types}" quill_dissociate
    "${quill_dissociate}")
  # Both the installer and the uninstaller carry the helper that changes
  # PATH (packaging/path_entry.cpp), and record whether they added to it in
  # the installation's key among the installed programs.
  set(quill_path_entry ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/path_entry.exe)
  foreach(script quill_shell quill_unshell)
    string(REPLACE "@QUILL_PATH_ENTRY@" "${quill_path_entry}" ${script} "${${script}}")
    string(REPLACE "@QUILL_REGISTRY_KEY@" "${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}" ${script}
      "${${script}}")
  endforeach()
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${quill_associate}${quill_shell}")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${quill_unshell}${quill_dissociate}")
  # The template's uninstaller removes its own key below the vendor's key
  # but not the vendor's key; the Start-menu removal, which comes after,
  # takes that too when nothing else is left in it.
  set(CPACK_NSIS_DELETE_ICONS_EXTRA
    "DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${quill_packaging}/nsis/associate.nsh ${quill_packaging}/nsis/dissociate.nsh
    ${quill_packaging}/nsis/shell.nsh ${quill_packaging}/nsis/unshell.nsh)
endif()

include(CPack)
