#!/usr/bin/env bash
# Builds the programs' libraries (zlib, libpng, libjpeg-turbo, mpg123 and SDL
# 1.2) for Windows x86-64 with mingw-w64 from Debian's source packages, at
# pinned versions checked by sha256, into build-windows/deps/prefix, as
# static libraries (scripts/lib/debian-sources.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."

deps=$PWD/build-windows/deps
deps_label="windows deps"
prefix=$deps/prefix
mkdir -p "$prefix"
host=x86_64-w64-mingw32
toolchain=$PWD/scripts/windows/x86_64-w64-mingw32.cmake
export SAVA_WINDOWS_PREFIX=$prefix

# No path of this machine in the objects: the same sources build the same
# bytes wherever the checkout is.
common_cflags="-O2 -ffp-contract=off -ffile-prefix-map=$deps/src/="
jobs=${JOBS:-$(nproc)}
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
# Sealed from the host: pkg-config sees only the prefix built here, never the
# host's own libraries (an audio server's or X11's development files would
# otherwise be taken for Windows ones), and each configure names the parts it
# wants instead of detecting what the host has.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH="" PKG_CONFIG_SYSROOT_DIR=""
unset PKG_CONFIG CPATH C_INCLUDE_PATH CPLUS_INCLUDE_PATH LIBRARY_PATH
# Each recipe is one chain of commands (it runs where a failure does not stop
# the script by itself, so every step is joined with &&).

build_zlib() {
  local src=$1
  (cd "$src" && CHOST=$host CFLAGS="$common_cflags" ./configure --static --prefix="$prefix" &&
     make -j"$jobs" libz.a && make install)
}

build_libpng() {
  local src=$1
  cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_C_FLAGS="$common_cflags" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DSKIP_INSTALL_EXECUTABLES=ON &&
    cmake --build "$src/build" -j"$jobs" && cmake --install "$src/build" &&
    # The static library needs zlib after it.
    sed -i 's/^Libs.private:.*/& -lz/; /^Requires.private/d' "$prefix/lib/pkgconfig/libpng16.pc"
}

build_libjpeg_turbo() {
  local src=$1
  # Only the library, with its SIMD code (nasm).
  cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_C_FLAGS="$common_cflags" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=1 -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 &&
    cmake --build "$src/build" -j"$jobs" --target jpeg-static &&
    install_libjpeg_static "$src"
}

build_mpg123() {
  local src=$1
  # The library's own build asks for fast math; the show keeps exact IEEE
  # arithmetic, so that flag goes. The static library needs shlwapi. Only the
  # decoding library: no output module is looked for.
  sed -i 's/-ffast-math//g' "$src/configure" &&
    (cd "$src" && CFLAGS="$common_cflags" ./configure --host=$host --prefix="$prefix" \
     --disable-modules --disable-shared --enable-static --disable-components --enable-libmpg123 \
     --with-audio=dummy --with-default-audio=dummy --disable-network &&
     make -j"$jobs" && make install) &&
    sed -i 's/^Libs:.*/& -lshlwapi/' "$prefix/lib/pkgconfig/libmpg123.pc"
}

build_sdl12() {
  local src=$1
  # Without the redirection of stdout and stderr into files beside the
  # program, and as a console program (not -mwindows): messages and --help
  # reach the console.
  (cd "$src" && CFLAGS="$common_cflags" ./configure --host=$host --prefix="$prefix" \
     --disable-shared --enable-static --disable-stdio-redirect --disable-nasm \
     --without-x --disable-video-x11 --disable-alsa --disable-pulseaudio --disable-esd \
     --disable-arts --disable-nas --disable-oss &&
     make -j"$jobs" && make install) &&
    sed -i 's/ -mwindows//g' "$prefix/lib/pkgconfig/sdl.pc" "$prefix/bin/sdl-config"
}

pin_sdl12="libsdl1.2|1.2.15+dfsg2-8|libsdl1.2_1.2.15+dfsg2.orig.tar.gz=ec4d5ea4714b92f840aafcf8c759cf7914827f632e19f42b18ba6f6489f0f5e9 libsdl1.2_1.2.15+dfsg2-8.debian.tar.xz=f1e294c33ad395f3b0dc473ff33b84405ac7fc465e3c9d2a25fee576a96e9fc7"

deps_flags="$common_cflags $($CXX -dumpversion) sealed"
source scripts/lib/debian-sources.sh
debian_sources_build "$pin_zlib" "$pin_libpng" "$pin_libjpeg_turbo" "$pin_mpg123" "$pin_sdl12"
