# How the test suites are built and registered, for the full build and the
# effects-only one (cmake/effects_only.cmake) alike. Needs GoogleTest and
# include(GoogleTest) first.

# Registers the GoogleTest cases of `target` with CTest, run in the build
# directory, each with the TIMEOUT given (a guard against hangs, not a bound
# of speed); SERIAL runs each case alone. Cases that match a HEAVY pattern
# (GoogleTest's filter syntax, e.g. PictureBomb.*) hold hundreds of MiB at
# once: they take the resource lock "memory", so that `ctest -j` runs one of
# them at a time, and the label "heavy" (`ctest -LE heavy` leaves them out).
function(sava_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SERIAL" "TIMEOUT" "HEAVY")
  set(common WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_MODE PRE_TEST)
  set(properties TIMEOUT ${arg_TIMEOUT})
  if(arg_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  if(NOT arg_HEAVY)
    gtest_discover_tests(${target} ${common} PROPERTIES ${properties})
    return()
  endif()
  list(JOIN arg_HEAVY ":" heavy)
  gtest_discover_tests(${target} ${common} TEST_FILTER "${heavy}"
                       PROPERTIES ${properties} RESOURCE_LOCK memory LABELS heavy)
  gtest_discover_tests(${target} ${common} TEST_FILTER "-${heavy}" PROPERTIES ${properties})
endfunction()

# sava_test_suite(DIR [LIBS lib...] [PROGRAMS program...] [DEPENDS target...]
#                 [TIMEOUT seconds] [HEAVY pattern...] [SERIAL])
#
# The one way a test executable is made: DIR_tests from every tests/DIR/*.cpp,
# linking the LIBS and GoogleTest, with tests/ as an include root and these
# definitions:
#   SAVA_SOURCE_DIR, SAVA_BINARY_DIR  the source and the build tree
#   SAVA_DATA_DIR                     the show data the build generates
#   SAVA_<NAME>_EXE                   each of the PROGRAMS that this build makes
#                                     (sava: SAVA_PLAYER_EXE, sava-capture:
#                                     SAVA_CAPTURE_EXE, ...), built before the tests
# DEPENDS names other targets built before it (e.g. the generated data).
# The cases are registered by sava_discover_tests (TIMEOUT 600 unless given).
function(sava_test_suite dir)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SERIAL" "TIMEOUT" "LIBS;PROGRAMS;DEPENDS;HEAVY")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target ${dir}_tests)
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${target} PRIVATE
    SAVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    SAVA_BINARY_DIR="${CMAKE_BINARY_DIR}"
    SAVA_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  foreach(program ${arg_PROGRAMS})
    if(NOT TARGET ${program})
      continue()
    endif()
    if(program STREQUAL "sava")
      set(name PLAYER)
    else()
      string(REGEX REPLACE "^sava-" "" name ${program})
      string(TOUPPER ${name} name)
    endif()
    target_compile_definitions(${target} PRIVATE SAVA_${name}_EXE="$<TARGET_FILE:${program}>")
    add_dependencies(${target} ${program})
  endforeach()
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  set(options TIMEOUT ${arg_TIMEOUT})
  if(arg_SERIAL)
    list(APPEND options SERIAL)
  endif()
  if(arg_HEAVY)
    list(APPEND options HEAVY ${arg_HEAVY})
  endif()
  sava_discover_tests(${target} ${options})
endfunction()
