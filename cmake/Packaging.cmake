# The Debian package, made from the install rules by `cpack -G DEB` in the build folder:
# dbupdate_<version>_<arch>.deb.

set(DBUPDATE_PACKAGE_MAINTAINER
    "Seed 8dcf84f9 maintainers <maintainers@users.noreply.c-seed-8dcf84f9.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DBUPDATE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wizard that updates the Firebird database of the client application")
# dpkg shows these lines as they are, and lintian wants them under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "A single-window wizard that updates the Firebird database file (*.fdb)
of the client application with the update package built into the program.
It backs the file up beside itself, checks that it is a client database of
the expected version, runs the update script block by block and puts the
backup back when the script fails. Local database files are opened by the
embedded Firebird engine, so no server has to run.")

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# A Release build keeps its symbols; a package must not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DBUPDATE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds Qt and the C++ runtime from the program's own links. The client library is
# opened with dlopen and the embedded engine is loaded by the client library, so neither shows in
# the program's links and they have to be named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfbclient2, firebird3.0-server-core")

include(CPack)
