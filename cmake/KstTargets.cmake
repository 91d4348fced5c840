# Target conventions shared by every subsystem folder.
#
# A subsystem folder holds its portable part in <folder>/*.cpp and its Windows-only part in
# <folder>/win/*.cpp; the host preset builds exactly the portable part. Where a portable
# declaration needs an OS call (a clock, a file time), <folder>/win/ defines it for Windows and
# <folder>/host/*.cpp for the host build. Tests follow the same split under tests/<folder>/.

function(kst_glob_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    file(GLOB platform_sources CONFIGURE_DEPENDS ${dir}/win/*.cpp)
  else()
    file(GLOB platform_sources CONFIGURE_DEPENDS ${dir}/host/*.cpp)
  endif()
  set(${out} ${sources} ${platform_sources} PARENT_SCOPE)
endfunction()

function(kst_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# GoogleTest from Debian's source package, built with whatever toolchain configures us.
function(kst_add_googletest)
  set(KST_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  if(NOT EXISTS ${KST_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KST_GOOGLETEST_SOURCE} (Debian package googletest)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KST_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endfunction()

# kst_add_library(<name> [LIBS <dep>...] [WIN_LIBS <system lib>...])
function(kst_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;WIN_LIBS" ${ARGN})
  kst_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(WIN32)
    target_link_libraries(${name} PUBLIC ${ARG_WIN_LIBS})
  endif()
  kst_warnings(${name})
endfunction()

# kst_add_tests(<name> [LIBS <lib>...] [WIN_LIBS <system lib>...] [RESOURCES] [FULL_DISK])
# One GoogleTest executable per subsystem, registered with CTest as one test. RESOURCES links
# the program's compiled resource script (Windows only). FULL_DISK registers <name>_full_disk
# beside it: the tests named *OnAFullDisk, run where no file can grow past 64 KiB. Every one
# has the same main (tests/support/TestMain.cpp): under Wine a crash ends the process with a
# failure at once.
function(kst_add_tests name)
  cmake_parse_arguments(ARG "RESOURCES;FULL_DISK" "" "LIBS;WIN_LIBS" ${ARGN})
  kst_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
  if(WIN32 AND ARG_RESOURCES)
    list(APPEND sources $<TARGET_OBJECTS:kst_resources>)
  endif()
  list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  if(WIN32)
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/support/win/TestProcess.cpp)
  else()
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/support/host/TestProcess.cpp)
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${ARG_WIN_LIBS})
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  kst_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  # A crash that still reaches Wine's debugger ends the process with status 0: its report
  # fails the test.
  set_tests_properties(${name} PROPERTIES
    FAIL_REGULAR_EXPRESSION "kst-tests: crashed|wine: Unhandled|Unhandled exception:")
  if(WIN32)
    # Windows of one test executable must not lose the focus to another's on the shared display.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK test_display)
  endif()
  if(ARG_FULL_DISK)
    add_test(NAME ${name}_full_disk
             COMMAND ${CMAKE_SOURCE_DIR}/tools/with-file-limit.sh 65536
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
                     --gtest_filter=*OnAFullDisk)
    # A filter that matches nothing, or cases that skip, would pass without showing anything
    # ("Running 0 tests" at the start, or "0 tests from ... ran" at the end with GTEST_BRIEF).
    set_tests_properties(${name}_full_disk PROPERTIES TIMEOUT 300 FAIL_REGULAR_EXPRESSION
      "kst-tests: crashed|wine: Unhandled|Unhandled exception:|Running 0 tests|\\] 0 tests from|\\[  SKIPPED \\]")
    if(WIN32)
      set_tests_properties(${name}_full_disk PROPERTIES RESOURCE_LOCK test_display)
    endif()
  endif()
endfunction()

# kst_add_benchmark(<name> SOURCES <src>... LIBS <lib>...)
# Benchmarks print their figures as "name: value unit" lines; they are built with everything
# else so they keep compiling, and never run by CTest.
function(kst_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/bench)
  kst_warnings(${name})
endfunction()
