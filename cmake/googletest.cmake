# GoogleTest for the test suites, the full build and the effects-only one
# alike. SAVA_GTEST_SOURCE_DIR: build it from these sources (e.g.
# /usr/src/googletest, which libgtest-dev ships) instead of finding an
# installed one, for targets that have none (cross builds).
set(SAVA_GTEST_SOURCE_DIR "" CACHE PATH "GoogleTest sources to build instead of an installed GoogleTest")
if(SAVA_GTEST_SOURCE_DIR)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SAVA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gtest_main gmock)
    target_compile_options(${lib} PRIVATE -w)  # not our code: its warnings are not ours to fix
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
