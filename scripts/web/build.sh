#!/usr/bin/env bash
# Builds the show for web browsers into build-web/site/: index.html, sava.js,
# sava.wasm, the show's files under data/ with their list (data/show.json,
# which the page loads them by, in show order), the page's scripts, the favicon, the
# poster (a frame of the show, shown on the start screen and in link
# previews) and the offline worker (sw-VERSION.js). Installs what it
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
cmake --build build -j"$(nproc)" --target assets sava-capture sava-web-manifest
manifest_tool=build/tools/web_manifest/sava-web-manifest

step "libraries"
scripts/web/deps.sh

step "data for the web"
# The pictures as the browser gets them, losslessly rewritten: every JPEG
# with optimised Huffman tables (the same coefficients; not progressive,
# which saves a few per cent but takes the decoder more than twice as long
# on the page's main thread), every PNG deflated harder. A rewrite is taken only when it
# is smaller and the show's own decoder gives the very same pixels from it;
# otherwise the file goes as it is. Redone only for files newer than their
# copy.
web_data=$PWD/$web_root/data
mkdir -p "$web_data"
rewritten=0
for source in build/data/*; do
  copy=$web_data/$(basename "$source")
  [ "$copy" -nt "$source" ] && continue
  rm -f "$copy.part"
  case $source in
    *.jpg) jpegtran -optimize -copy none "$source" >"$copy.part" ;;
    *.png) zopflipng -y -q "$source" "$copy.part" >/dev/null 2>&1 || rm -f "$copy.part" ;;
  esac
  if [ -f "$copy.part" ] && [ "$(stat -c %s "$copy.part")" -lt "$(stat -c %s "$source")" ] &&
     "$manifest_tool" --same-pixels "$source" "$copy.part"; then
    mv "$copy.part" "$copy"
    rewritten=$((rewritten + 1))
  else
    rm -f "$copy.part"
    cp "$source" "$copy"
  fi
done
echo "  build/data/ $(du -sb build/data | cut -f1) bytes, for the web $(du -sb "$web_data" | cut -f1) bytes" \
  "($rewritten files rewritten now)" >&2

step "player"
prefix=$PWD/$web_prefix
# Only the web's pkg-config files: emscripten's (SDL) and the libraries'.
export PKG_CONFIG_LIBDIR=/usr/share/emscripten/cache/sysroot/lib/pkgconfig:$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=
emcmake cmake -S . -B "$web_root/player" -DCMAKE_BUILD_TYPE=Release \
  -DSAVA_BUILD_TESTS=OFF -DSAVA_BUILD_TOOLS=OFF \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_CROSSCOMPILING_EMULATOR="$web_emulator" >/dev/null
cmake --build "$web_root/player" -j"$(nproc)"

site=$web_root/site
mkdir -p "$site"
rm -f "$site/sava.data"
for f in sava.js sava.wasm; do
  cp "$web_root/player/src/player/web/$f" "$site/$f"
done
# The page and its scripts (the site's version written into them below).
page_scripts=(page.js loader.js keep_offline.js controls.js)
for f in index.html favicon.svg "${page_scripts[@]}"; do
  cp "src/player/web/$f" "$site/$f"
done

step "data and its list"
# The files as rewritten above, and the list the page loads them by: each
# file's size, each picture's size, the pictures each scene uses.
rm -rf "$site/data"
mkdir -p "$site/data"
cp "$web_data"/* "$site/data/"
"$manifest_tool" "$site/data" >"$site/data/show.json.part"
mv "$site/data/show.json.part" "$site/data/show.json"

step "poster"
# The frame at 2:20, from the native renderer's BGRA words to a JPEG.
poster_ms=140000
build/tools/capture/sava-capture --data build/data --from $poster_ms --to $((poster_ms + 1)) --raw - |
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
version=$(cat "$site"/index.html "${page_scripts[@]/#/$site/}" "$site"/sava.* "$site"/poster.jpg "$site"/favicon.svg \
  "$site"/data/* src/player/web/offline.js | sha256sum | cut -c1-12)
rm -f "$site"/sw-*.js
cp src/player/web/offline.js "$site/sw-$version.js"
(cd "$site" && sed -i "s/@SITE_VERSION@/$version/g" index.html "${page_scripts[@]}")

step "done: $site"
(cd "$site" && ls -l index.html "${page_scripts[@]}" sava.js sava.wasm favicon.svg poster.jpg sw-*.js data/show.json |
  awk '{ printf "  %-16s %9d bytes\n", $9, $5 }'
  echo "  data/ ($(ls data | wc -l) files) $(du -cb data | tail -1 | cut -f1) bytes") >&2
