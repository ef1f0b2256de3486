# Cross-compiles for 64-bit desktop Windows with Debian's MinGW-w64. The posix
# thread model is the one whose C++ library has std::thread and std::mutex
# (the tests use them); everything is linked statically, so the executables
# need nothing beyond what Windows itself ships.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WENDREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${WENDREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WENDREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WENDREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WENDREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
