# `cpack -G DEB` in a build tree makes kanata195_<version>_<arch>.deb: the
# application folder under /usr/lib/kanata195 and the files of
# resources/package. Dependencies are computed from the shared libraries
# the binaries link (dpkg-shlibdeps), never listed by hand.
set(CPACK_PACKAGE_NAME kanata195)
set(CPACK_PACKAGE_VENDOR "The Kanata195 developers")
set(CPACK_PACKAGE_CONTACT "The Kanata195 developers <kanata195@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "caller-ID logger for small offices")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kanata195 records every incoming call that a telephone line adapter\n\
reports, identifies the caller from its own roster and from directory\n\
data, and pops the caller up on screen. Calls are kept in a paged,\n\
filterable history; the roster can be imported, exported and printed.\n\
All its windows are in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins live in the application folder, not on the library path, so
# dpkg-shlibdeps is told where to find the ones the program links to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KANATA_STAGE_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
