# What a Windows build needs besides the toolchain file: GoogleTest compiled
# with the cross compiler from Debian's sources, CLI11's headers without the
# host's other headers, and Wine to run the tests (the build tree keeps its own
# Wine prefix, so a run never touches the user's).
if(NOT WIN32)
  return()
endif()

# The system calls the wide functions by name; the generic names follow them.
add_compile_definitions(UNICODE _UNICODE)

# The tests link GTest::gtest and friends exactly as on Linux.
set(WENDREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
function(wendrel_windows_googletest)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${WENDREL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endfunction()
wendrel_windows_googletest()
set(GTest_FOUND TRUE)

# CLI11 is header-only; the host's include folder holds it, but must not be on
# the cross compiler's path, so the build tree gets a folder with CLI/ alone.
find_path(WENDREL_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT WENDREL_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11 not found: install libcli11-dev")
endif()
set(cli11_folder ${PROJECT_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${cli11_folder})
file(CREATE_LINK ${WENDREL_CLI11_INCLUDE}/CLI ${cli11_folder}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${cli11_folder})
set(CLI11_FOUND TRUE)

# ctest runs every Windows executable through this wrapper.
set(WENDREL_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
