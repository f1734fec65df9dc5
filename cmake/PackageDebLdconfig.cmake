# Run by cpack once it made the Debian packages, before it copies them out of
# its working folder and writes their checksums. CPack gives a package that
# holds a shared library a postinst and a postrm that run ldconfig, which
# the package's ldconfig trigger does already (and once for every package
# installed together); such a package is made again without them by
# dpkg-deb, which dates what it writes SOURCE_DATE_EPOCH.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  if(EXISTS ${tree}/DEBIAN/postinst OR EXISTS ${tree}/DEBIAN/postrm)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build ${tree} ${package}
      OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
