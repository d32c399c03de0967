# Compiler settings shared by every target of the project.

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wnull-dereference)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})

if(DBUPDATE_SANITIZE)
  target_compile_options(project_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# Coverage for libFuzzer in every library, so that the fuzz targets see into the parsers, and
# the sanitizers, so that a fault is found where it happens and not only when it crashes.
if(DBUPDATE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "DBUPDATE_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++): libFuzzer is part of it")
  endif()
  target_compile_options(project_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer -g)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# Linked into every test program: the sanitizers' settings for a sanitizer build, nothing else.
if(DBUPDATE_SANITIZE)
  add_library(test_options OBJECT ${PROJECT_SOURCE_DIR}/cmake/SanitizerOptions.cpp)
  target_link_libraries(test_options PRIVATE project_options)
else()
  add_library(test_options INTERFACE)
endif()

# dbupdate_add_test(NAME name [DATABASE] [RESOURCE_LOCK lock] SOURCES ... LIBRARIES ...): one
# GoogleTest executable, registered with CTest. DATABASE: its tests need the database client
# library and engine (label "database"). RESOURCE_LOCK: its tests never run at the same time as
# other tests holding the same lock (windows that take the keyboard focus from each other).
function(dbupdate_add_test)
  cmake_parse_arguments(ARG "DATABASE" "NAME;RESOURCE_LOCK" "SOURCES;LIBRARIES" ${ARGN})
  set(Properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  if(ARG_DATABASE)
    list(APPEND Properties LABELS database)
  endif()
  if(DBUPDATE_WINE_DLL_PATH)
    # Where Wine finds the builtin modules that stand in for Windows libraries in the tests.
    list(APPEND Properties ENVIRONMENT_MODIFICATION "WINEDLLPATH=set:${DBUPDATE_WINE_DLL_PATH}")
  endif()
  if(ARG_RESOURCE_LOCK)
    list(APPEND Properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE project_options test_options ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${Properties})
endfunction()
