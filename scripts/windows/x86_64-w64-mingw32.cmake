# Toolchain for Windows x86-64 with Debian's mingw-w64 (the POSIX thread
# model, for std::thread). The libraries are the ones scripts/windows/deps.sh
# builds, found under SAVA_WINDOWS_PREFIX (environment) through their
# pkg-config files, linked statically; the programs then need no DLL beyond
# Windows' own. Test programs run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $ENV{SAVA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} $ENV{SAVA_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(PKG_CONFIG_ARGN --static)
# libgcc, libstdc++ and winpthread inside the programs; no link time stamp
# and no path of the checkout in them, so that a build is the same bytes
# wherever and whenever it is made.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
get_filename_component(sava_source_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${sava_source_root}/=")
set(CMAKE_CXX_FLAGS_INIT "-ffile-prefix-map=${sava_source_root}/=")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
