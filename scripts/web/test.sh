#!/usr/bin/env bash
# Browser tests of the web build: builds it (scripts/web/build.sh), serves
# build-web/site on the loopback interface and runs the tests in headless
# Chromium (scripts/web/browser_tests.js), comparing the page's frames and
# sound with the native offline renderer. Prints "N passed, N failed".
# SAVA_WEB_TESTS=REGEX runs only the tests whose names match;
# SAVA_WEB_PHONE_MS sets how long the phone-profile test plays (30000).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/web/env.sh
scripts/web/build.sh

# The site again with other pictures the show accepts (the noise set made
# from ours, with its own list), for the test that the page softens them
# where and as the native renderer does.
cmake --build build --target sava-test-data >/dev/null
other=$web_root/noise
rm -rf "$other" "$other-site"
build/tests/support/sava-test-data "$other" --noise build
cp -a "$web_root/site" "$other-site"
rm -r "$other-site/data"
cp -a "$other/data" "$other-site/data"
build/tools/web_manifest/sava-web-manifest "$other-site/data" >"$other-site/data/show.json"

# Free ports on the loopback interface, and servers that end with us: the
# site as it is, the site with its data missing, cut short or stalled, and
# the site with the other pictures.
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
python3 scripts/web/serve.py "$web_root/site" "$port" >"$web_root/http.log" 2>&1 &
server=$!
troubled_port=$(free_port)
python3 scripts/web/troubled_server.py "$web_root/site" "$troubled_port" >"$web_root/troubled-http.log" 2>&1 &
troubled=$!
other_port=$(free_port)
python3 scripts/web/serve.py "$other-site" "$other_port" >"$web_root/other-http.log" 2>&1 &
other_server=$!
servers=("$server" "$troubled" "$other_server")
trap 'kill "${servers[@]}" 2>/dev/null; wait "${servers[@]}" 2>/dev/null || true' EXIT
for url in "http://127.0.0.1:$port/index.html" "http://127.0.0.1:$troubled_port/site/index.html" \
           "http://127.0.0.1:$other_port/index.html"; do
  for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('$url')" 2>/dev/null && break
    sleep 0.2
  done
done

# The tests run the generated script as a browser would; node itself only
# drives the browser and reads the native renderer.
NODE_PATH= node scripts/web/browser_tests.js "http://127.0.0.1:$port" "$PWD/build/tools/capture/sava-capture" \
  "$PWD/build/data" "http://127.0.0.1:$troubled_port" "http://127.0.0.1:$other_port" "$PWD/$other/data"
