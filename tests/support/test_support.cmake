# Helpers shared by several test folders (wendrel_test_support): include this
# file from a test folder's CMakeLists.txt and link the target. Included rather
# than added as a subdirectory, so any number of folders can use it.
if(NOT TARGET wendrel_test_support)
  add_library(wendrel_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp
    ${CMAKE_CURRENT_LIST_DIR}/resource_bytes.cpp)
  target_include_directories(wendrel_test_support PUBLIC ${PROJECT_SOURCE_DIR})
endif()
