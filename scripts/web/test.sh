#!/usr/bin/env bash
# Browser tests of the web build: builds it (scripts/web/build.sh), serves
# build-web/site on the loopback interface and runs the tests in headless
# Chromium (scripts/web/browser_tests.js), comparing the page's frames and
# sound with the native offline renderer. Prints "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/web/env.sh
scripts/web/build.sh

# A free port on the loopback interface, and a server that ends with us.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$web_root/site" "$port" >"$web_root/http.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.2
done

# The tests run the generated script as a browser would; node itself only
# drives the browser and reads the native renderer.
NODE_PATH= node scripts/web/browser_tests.js "http://127.0.0.1:$port" "$PWD/build/tools/capture/sava-capture" \
  "$PWD/build/data"
