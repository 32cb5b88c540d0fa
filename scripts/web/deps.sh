#!/usr/bin/env bash
# Builds the player's four libraries (zlib, libpng, libjpeg-turbo, mpg123) for
# WebAssembly from Debian's source packages, at pinned versions checked by
# sha256, into build-web/deps/prefix (scripts/lib/debian-sources.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/web/env.sh

deps=$PWD/$web_deps
deps_label="web deps"
prefix=$PWD/$web_prefix
mkdir -p "$prefix"

# --- building -----------------------------------------------------------------

common_cflags="-O2 -ffp-contract=off"
jobs=$(nproc)
# Sealed from the host: pkg-config sees only the prefix built here, and each
# configure names the parts it wants instead of detecting what the host has.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH="" PKG_CONFIG_SYSROOT_DIR=""
unset CPATH C_INCLUDE_PATH CPLUS_INCLUDE_PATH LIBRARY_PATH
# Each recipe is one chain of commands (it runs where a failure does not stop
# the script by itself, so every step is joined with &&).

build_zlib() {
  local src=$1
  (cd "$src" && CFLAGS="$common_cflags" emconfigure ./configure --static --prefix="$prefix" &&
     emmake make -j"$jobs" libz.a && emmake make install)
}

build_libpng() {
  local src=$1
  emcmake cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="$common_cflags" -DCMAKE_CROSSCOMPILING_EMULATOR="$web_emulator" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DSKIP_INSTALL_EXECUTABLES=ON &&
    cmake --build "$src/build" -j"$jobs" && cmake --install "$src/build"
}

build_libjpeg_turbo() {
  local src=$1
  # Only the library: its command-line programs and tests are not needed.
  emcmake cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_C_FLAGS="$common_cflags" -DCMAKE_CROSSCOMPILING_EMULATOR="$web_emulator" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=0 -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 &&
    cmake --build "$src/build" -j"$jobs" --target jpeg-static &&
    install_libjpeg_static "$src"
}

build_mpg123() {
  local src=$1
  # The library's own build asks for fast math; the show keeps exact IEEE
  # arithmetic, so that flag goes.
  sed -i 's/-ffast-math//g' "$src/configure" &&
    (cd "$src" && CFLAGS="$common_cflags" emconfigure ./configure --host=wasm32 --prefix="$prefix" \
     --with-cpu=generic_fpu --disable-modules --disable-shared --enable-static \
     --disable-components --enable-libmpg123 --with-audio=dummy --with-default-audio=dummy &&
     emmake make -j"$jobs" && emmake make install)
}

deps_flags="$common_cflags sealed"
source scripts/lib/debian-sources.sh
debian_sources_build "$pin_zlib" "$pin_libpng" "$pin_libjpeg_turbo" "$pin_mpg123"
