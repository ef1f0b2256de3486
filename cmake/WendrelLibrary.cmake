# One library per folder, its sources found by name so that adding a file needs
# no edit here. A folder with no .cpp yet is an interface library.
function(wendrel_library name)
  cmake_parse_arguments(ARG "RECURSE" "" "DEPENDS" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# A test executable per tests/ folder: every *_test.cpp in it, run through ctest.
# Files ending in _posix_test.cpp test what only the Linux build has (its
# audio sinks, signals), and _win32_test.cpp what only the Windows build has.
function(wendrel_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix_test\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32_test\\.cpp$")
  endif()
  # A folder left with no tests for this build is a renamed or moved file, not
  # a folder to drop from the suite in silence.
  if(NOT sources)
    message(FATAL_ERROR "${name}: no test sources for this build in ${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  wendrel_test_program(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  # GoogleTest's headers are most of what a test file costs to compile; one
  # precompiled copy serves every test folder.
  wendrel_test_precompiled_headers()
  target_precompile_headers(${name} REUSE_FROM wendrel_test_pch)
  target_compile_definitions(${name} PRIVATE
    WENDREL_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
    WENDREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Under Wine every start of a program costs a second or two, so each test
    # program is one ctest test rather than one per test case.
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# wendrel_test_program(NAME SOURCES...): a GoogleTest program. On Linux every
# one runs with private runtime, settings and home folders
# (tests/support/private_environment.cpp), so that no test meets the user's
# own running Wendrel or settings.
function(wendrel_test_program name)
  if(NOT WIN32)
    set(private ${PROJECT_SOURCE_DIR}/tests/support/private_environment.cpp)
  endif()
  add_executable(${name} ${ARGN} ${private})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main)
endfunction()

# The target that owns the tests' precompiled GoogleTest headers, made once.
function(wendrel_test_precompiled_headers)
  if(TARGET wendrel_test_pch)
    return()
  endif()
  set(source ${PROJECT_BINARY_DIR}/wendrel_test_pch.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "")
  endif()
  add_library(wendrel_test_pch OBJECT ${source})
  target_link_libraries(wendrel_test_pch PRIVATE GTest::gtest GTest::gmock)
  target_precompile_headers(wendrel_test_pch PRIVATE <gmock/gmock.h> <gtest/gtest.h>)
endfunction()

# wendrel_terminal_test(NAME SCRIPT ARGS...): a test script that drives a
# program in a real terminal; without tmux it is left out, not failed.
function(wendrel_terminal_test name script)
  find_program(TMUX_PROGRAM tmux)
  if(NOT TMUX_PROGRAM)
    return()
  endif()
  add_test(NAME ${name} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
