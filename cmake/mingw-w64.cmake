# What the cross builds for Windows share; the toolchain files set MingwPrefix and
# CMAKE_SYSTEM_PROCESSOR, then include this. Debian's MinGW-w64 with the posix thread model
# (which std::thread and std::mutex need), everything linked statically, so that a program runs
# under Wine or on Windows without the compiler's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MingwPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MingwPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${MingwPrefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MingwPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
