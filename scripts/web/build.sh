#!/usr/bin/env bash
# Builds the show for web browsers into build-web/site/: index.html, sava.js,
# sava.wasm and sava.data (the generated show data), controls.js, the
# favicon, the poster (a frame of the show, shown on the start screen and in
# link previews) and the offline worker (sw-VERSION.js). Installs what it
# needs, generates build/data/ with the native asset generator (build/),
# builds the libraries from Debian's sources (build-web/deps, kept between runs) and
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

step "data for the web"
# The pictures as the browser gets them: every JPEG losslessly rewritten
# (optimised Huffman tables, progressive scans; the same coefficients) and
# checked to decode to the very same pixels; the rest as it is. Redone only
# for files newer than their copy.
web_data=$PWD/$web_root/data
mkdir -p "$web_data"
for source in build/data/* build/data/.stamp; do
  copy=$web_data/$(basename "$source")
  [ "$copy" -nt "$source" ] && continue
  case $source in
    *.jpg)
      jpegtran -optimize -progressive -copy none "$source" >"$copy.part"
      if ! cmp -s <(djpeg -pnm "$source") <(djpeg -pnm "$copy.part"); then
        echo "build.sh: $source decodes differently once rewritten" >&2
        exit 1
      fi
      # A rewrite that is not smaller is not taken.
      if [ "$(stat -c %s "$copy.part")" -lt "$(stat -c %s "$source")" ]; then mv "$copy.part" "$copy"; else
        rm "$copy.part"; cp "$source" "$copy"; fi ;;
    *) cp "$source" "$copy" ;;
  esac
done
echo "  build/data/ $(du -sb build/data | cut -f1) bytes, for the web $(du -sb "$web_data" | cut -f1) bytes" >&2

step "player"
prefix=$PWD/$web_prefix
# Only the web's pkg-config files: emscripten's (SDL) and the libraries'.
export PKG_CONFIG_LIBDIR=/usr/share/emscripten/cache/sysroot/lib/pkgconfig:$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=
emcmake cmake -S . -B "$web_root/player" -DCMAKE_BUILD_TYPE=Release \
  -DSAVA_BUILD_TESTS=OFF -DSAVA_BUILD_TOOLS=OFF -DSAVA_WEB_DATA_DIR="$web_data" \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_CROSSCOMPILING_EMULATOR="$web_emulator" >/dev/null
cmake --build "$web_root/player" -j"$(nproc)"

site=$web_root/site
mkdir -p "$site"
for f in index.html sava.js sava.wasm sava.data; do
  cp "$web_root/player/src/player/web/$f" "$site/$f"
done
cp src/player/web/favicon.svg src/player/web/controls.js "$site/"

step "poster"
# The frame at 2:20, from the native renderer's BGRA words to a JPEG.
poster_ms=140000
build/tools/capture/sava-capture --from $poster_ms --to $((poster_ms + 1)) --raw - |
  python3 -c '
import sys
bgra = sys.stdin.buffer.read()
rgb = bytearray(len(bgra) // 4 * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = bgra[2::4], bgra[1::4], bgra[0::4]
sys.stdout.buffer.write(b"P6 400 300 255\n" + rgb)' |
  cjpeg -quality 85 -optimize -progressive >"$site/poster.jpg.part"
mv "$site/poster.jpg.part" "$site/poster.jpg"

step "offline worker"
# The site's version: a digest of its files, in the worker's name.
version=$(cat "$site"/index.html "$site"/controls.js "$site"/sava.* "$site"/poster.jpg "$site"/favicon.svg \
  src/player/web/offline.js | sha256sum | cut -c1-12)
rm -f "$site"/sw-*.js
cp src/player/web/offline.js "$site/sw-$version.js"
sed -i "s/@SITE_VERSION@/$version/g" "$site/index.html"

step "done: $site"
(cd "$site" && ls -l index.html controls.js sava.js sava.wasm sava.data favicon.svg poster.jpg sw-*.js |
  awk '{ printf "  %-12s %9d bytes\n", $9, $5 }') >&2
