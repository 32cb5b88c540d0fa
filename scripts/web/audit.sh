#!/usr/bin/env bash
# Audits the built site (build-web/site, from scripts/web/build.sh, or the
# folder given) with Lighthouse in Debian's Chromium, served on the loopback
# interface, under its mobile and its desktop preset, and prints the four
# scores of each.
# Lighthouse comes from the npm registry into build-web/audit (kept between
# runs). The reports go to build-web/audit/report-{mobile,desktop}.json.
# Performance depends on the machine's load: audit an idle machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/web/env.sh
site=${1:-$web_root/site}
audit=$PWD/$web_root/audit
[ -f "$site/index.html" ] || { echo "audit.sh: no site in $site; run scripts/web/build.sh first" >&2; exit 1; }
scripts/web/install.sh
mkdir -p "$audit"
if [ ! -x "$audit/node_modules/.bin/lighthouse" ]; then
  [ -f "$audit/package.json" ] || echo '{"private": true}' >"$audit/package.json"
  (cd "$audit" && npm install --no-audit --no-fund lighthouse@12 >&2)
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 scripts/web/serve.py "$site" "$port" >"$audit/http.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.2
done

for preset in mobile desktop; do
  flags=()
  [ "$preset" = desktop ] && flags=(--preset=desktop)
  CHROME_PATH=/usr/bin/chromium NODE_PATH= "$audit/node_modules/.bin/lighthouse" "http://127.0.0.1:$port/" \
    "${flags[@]}" --quiet --output=json --output-path="$audit/report-$preset.json" \
    --chrome-flags="--headless=new --no-sandbox --disable-gpu" >&2
  NODE_PATH= node -e '
    const r = require(process.argv[1]);
    const score = (id) => Math.round(r.categories[id].score * 100);
    const ms = (id) => (r.audits[id].numericValue / 1000).toFixed(1) + " s";
    console.log(`${process.argv[2].padEnd(8)} performance ${score("performance")}, accessibility ${score("accessibility")}, ` +
                `best practices ${score("best-practices")}, SEO ${score("seo")} ` +
                `(LCP ${ms("largest-contentful-paint")}, TBT ${Math.round(r.audits["total-blocking-time"].numericValue)} ms)`);
    for (const id of ["best-practices", "seo", "accessibility"])
      for (const ref of r.categories[id].auditRefs)
        if (ref.weight > 0 && r.audits[ref.id].score !== null && r.audits[ref.id].score < 1)
          console.log(`         ${id}: ${r.audits[ref.id].title}`);
  ' "$audit/report-$preset.json" "$preset"
done
