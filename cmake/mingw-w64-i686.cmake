# Cross build for 32-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# std::thread and std::mutex need), linked statically like the 64-bit one.
#
# Debian's 64-bit Wine runs no 32-bit program, so nothing of this build runs at build time: no
# tests (DBUPDATE_BUILD_TESTS=OFF), and the package check is a program of another build
# (DBUPDATE_PACKAGE_CHECK, see package/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MingwPrefix i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MingwPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MingwPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${MingwPrefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MingwPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
