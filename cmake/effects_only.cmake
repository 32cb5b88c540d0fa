# Core, effects and their tests alone: nothing here needs SDL, libpng,
# libjpeg or libmpg123, so a cross build needs no media libraries of the
# target. Included by the top-level CMakeLists.txt for SAVA_EFFECTS_ONLY.
find_package(Threads REQUIRED)

# The same layers as the full build (cmake/layers.cmake): core whole, and of
# the image layer only the pixel buffer (the decoders need the media libraries).
file(GLOB base_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/base/*.cpp)
list(FILTER base_sources EXCLUDE REGEX "/[a-z_]+_(posix|windows)\\.cpp$")
sava_layer(base SOURCES ${base_sources})
sava_layer(core LIBS Threads::Threads)
sava_layer(image USES base SOURCES ${CMAKE_SOURCE_DIR}/src/image/image.cpp)
add_subdirectory(${CMAKE_SOURCE_DIR}/src/effects)

enable_testing()
include(${CMAKE_SOURCE_DIR}/cmake/googletest.cmake)

include(${CMAKE_SOURCE_DIR}/cmake/tests.cmake)
sava_test_suite(core LIBS sava_core)
sava_test_suite(effects LIBS sava_effects)

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/effects)
