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

# Free ports on the loopback interface, and servers that end with us: the
# site as it is, and the site with its data missing, cut short or stalled.
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
python3 scripts/web/serve.py "$web_root/site" "$port" >"$web_root/http.log" 2>&1 &
server=$!
troubled_port=$(free_port)
python3 scripts/web/troubled_server.py "$web_root/site" "$troubled_port" >"$web_root/troubled-http.log" 2>&1 &
troubled=$!
trap 'kill "$server" "$troubled" 2>/dev/null; wait "$server" "$troubled" 2>/dev/null || true' EXIT
for url in "http://127.0.0.1:$port/index.html" "http://127.0.0.1:$troubled_port/site/index.html"; do
  for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('$url')" 2>/dev/null && break
    sleep 0.2
  done
done

# The tests run the generated script as a browser would; node itself only
# drives the browser and reads the native renderer.
NODE_PATH= node scripts/web/browser_tests.js "http://127.0.0.1:$port" "$PWD/build/tools/capture/sava-capture" \
  "$PWD/build/data" "http://127.0.0.1:$troubled_port"
