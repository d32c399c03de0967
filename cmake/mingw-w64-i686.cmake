# Cross build for 32-bit Windows, linked like the 64-bit one (mingw-w64.cmake).
#
# Debian's 64-bit Wine runs no 32-bit program, so nothing of this build runs at build time: no
# tests (DBUPDATE_BUILD_TESTS=OFF), and the package check is a program of another build
# (DBUPDATE_PACKAGE_CHECK, see package/CMakeLists.txt).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MingwPrefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
