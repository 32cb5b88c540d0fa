# How the test suites are built and registered, for the full build and the
# effects-only one (cmake/effects_only.cmake) alike. Needs GoogleTest and
# include(GoogleTest) first.

# Registers the GoogleTest cases of `target` with CTest, run in the build
# directory, each with the TIMEOUT given (a guard against hangs, not a bound
# of speed). Cases that match a HEAVY pattern (GoogleTest's filter syntax,
# e.g. PictureBomb.*) hold hundreds of MiB at once: they take the resource
# lock "memory", so that `ctest -j` runs one of them at a time, and the label
# "heavy" (`ctest -LE heavy` leaves them out).
function(sava_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "HEAVY")
  set(common WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_MODE PRE_TEST)
  if(NOT arg_HEAVY)
    gtest_discover_tests(${target} ${common} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    return()
  endif()
  list(JOIN arg_HEAVY ":" heavy)
  gtest_discover_tests(${target} ${common} TEST_FILTER "${heavy}"
                       PROPERTIES TIMEOUT ${arg_TIMEOUT} RESOURCE_LOCK memory LABELS heavy)
  gtest_discover_tests(${target} ${common} TEST_FILTER "-${heavy}" PROPERTIES TIMEOUT ${arg_TIMEOUT})
endfunction()

function(sava_test_suite dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target ${dir}_tests)
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${target} PRIVATE
    SAVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    SAVA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  sava_discover_tests(${target} TIMEOUT 600)
endfunction()
