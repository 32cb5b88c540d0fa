# Core, effects and their tests alone: nothing here needs SDL, libpng,
# libjpeg or libmpg123, so a cross build needs no media libraries of the
# target. Included by the top-level CMakeLists.txt for SAVA_EFFECTS_ONLY.
#
# SAVA_GTEST_SOURCE_DIR: build GoogleTest from these sources (e.g.
# /usr/src/googletest, which libgtest-dev ships) instead of finding an
# installed one, for targets that have none.
find_package(Threads REQUIRED)

# The same layers as the full build (cmake/layers.cmake): core whole, and of
# the image layer only the pixel buffer (the decoders need the media libraries).
sava_layer(base)
sava_layer(core LIBS Threads::Threads)
sava_layer(image USES base SOURCES ${CMAKE_SOURCE_DIR}/src/image/image.cpp)
add_subdirectory(${CMAKE_SOURCE_DIR}/src/effects)

enable_testing()
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

include(${CMAKE_SOURCE_DIR}/cmake/tests.cmake)
sava_test_suite(core LIBS sava_core)
sava_test_suite(effects LIBS sava_effects)

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/effects)
