#!/usr/bin/env bash
# Builds the show for web browsers into build-web/site/: index.html, sava.js,
# sava.wasm and sava.data (the generated show data). Installs what it needs,
# generates build/data/ with the native asset generator (build/), builds the
# libraries from Debian's sources (build-web/deps, kept between runs) and
# the player with emscripten (build-web/player).
#
# Serve the site over HTTP (browsers load WebAssembly from http://, not
# file://), for example:
#   python3 -m http.server --bind 127.0.0.1 --directory build-web/site 8000
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/web/env.sh
started=$SECONDS
step() { echo "== [web build $((SECONDS - started)) s] $*" >&2; }

step "packages"
scripts/web/install.sh

step "build/data/ (native asset generator)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target assets sava-capture

step "libraries"
scripts/web/deps.sh

step "player"
prefix=$PWD/$web_prefix
# Only the web's pkg-config files: emscripten's (SDL) and the libraries'.
export PKG_CONFIG_LIBDIR=/usr/share/emscripten/cache/sysroot/lib/pkgconfig:$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=
emcmake cmake -S . -B "$web_root/player" -DCMAKE_BUILD_TYPE=Release \
  -DSAVA_BUILD_TESTS=OFF -DSAVA_BUILD_TOOLS=OFF -DSAVA_WEB_DATA_DIR="$PWD/build/data" \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_CROSSCOMPILING_EMULATOR="$web_emulator" >/dev/null
cmake --build "$web_root/player" -j"$(nproc)"

site=$web_root/site
mkdir -p "$site"
for f in index.html sava.js sava.wasm sava.data; do
  cp "$web_root/player/src/player/web/$f" "$site/$f"
done
step "done: $site"
(cd "$site" && ls -l index.html sava.js sava.wasm sava.data | awk '{ printf "  %-10s %9d bytes\n", $9, $5 }') >&2
