# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# std::thread and std::mutex need). Everything is linked statically, so that a test program
# runs under Wine or on Windows without the compiler's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MingwPrefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MingwPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MingwPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${MingwPrefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MingwPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test discovery runs the test programs at build time; under Wine.
find_program(WineProgram wine)
if(WineProgram)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WineProgram})
endif()
