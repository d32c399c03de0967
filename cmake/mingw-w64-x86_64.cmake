# Cross build for 64-bit Windows (mingw-w64.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MingwPrefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Test discovery runs the test programs at build time; under Wine.
find_program(WineProgram wine)
if(WineProgram)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WineProgram})
endif()
