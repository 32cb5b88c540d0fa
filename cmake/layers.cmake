# The layers of src/, bottom first: base (owners of C library resources, the
# option tables' parser and the whole-number reader, that
# every layer may use); core (frame step, effect objects, display list,
# clock); image and music; effects; show (cue table, scenes, picture table);
# player (the platform edges: SDL on the desktop, the web page).
#
# Each layer is one static library, sava_<layer>, built from src/<layer>/*.cpp
# (or the SOURCES given; a layer of headers alone is an interface library)
# and linking only the layers below it that it names after USES. Its headers are included as "<layer>/name.h" through an include
# root of its own in the build tree, include/<layer>/, holding one link
# <layer> -> src/<layer>. A library passes its root on to whatever links it,
# so code sees the headers of its own layer and of the layers below that it
# links, and nothing else: an include that points upward, or sideways to a
# layer not linked, fails to compile. (A test also refuses includes by
# relative path, which would get round the roots.)
get_filename_component(sava_source_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
function(sava_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;LIBS;SOURCES")
  if(arg_SOURCES)
    set(sources ${arg_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${sava_source_root}/src/${layer}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${layer})
  file(MAKE_DIRECTORY ${root})
  file(REMOVE ${root}/${layer})
  file(CREATE_LINK ${sava_source_root}/src/${layer} ${root}/${layer} SYMBOLIC)
  if(sources)
    add_library(sava_${layer} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(sava_${layer} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(sava_${layer} ${scope} ${root})
  foreach(use ${arg_USES})
    target_link_libraries(sava_${layer} ${scope} sava_${use})
  endforeach()
  target_link_libraries(sava_${layer} ${scope} ${arg_LIBS})
endfunction()

# The base layer's sources for this target: its portable files and the
# platform's own (POSIX or Windows).
function(sava_base_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${sava_source_root}/src/base/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/[a-z_]+_(posix|windows)\\.cpp$")
  if(WIN32)
    set(side windows)
  else()
    set(side posix)
  endif()
  list(APPEND sources ${sava_source_root}/src/base/platform_${side}.cpp
       ${sava_source_root}/src/base/child_with_input_${side}.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
