#!/usr/bin/env python3
"""Serves the built site as it should be served (the README's recipe):
  python3 scripts/web/serve.py SITE_DIR PORT [--bind ADDRESS]
Text (HTML, script, JSON, SVG) and the WebAssembly program go out gzip-compressed
to browsers that take it; a file asked for with the site's version in its
address (?v=...) may be cached for a year, the page itself is revalidated on
every visit. Pictures and music are compressed already and go as they are,
a single byte range of them when asked for one (the page fetches the music
in ranges).
"""
import gzip
import http.server
import os
import re
import sys
import threading

site, port = sys.argv[1], int(sys.argv[2])
bind = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == '--bind' else '127.0.0.1'
compressible = ('.html', '.js', '.json', '.svg', '.wasm', '.css')
compressed = {}  # path -> (modification time, gzip bytes)
lock = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, '.wasm': 'application/wasm',
                      '.js': 'text/javascript', '.json': 'application/json', '.svg': 'image/svg+xml'}

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=site, **kwargs)

    def log_message(self, *args):
        pass

    def end_headers(self):
        versioned = '?v=' in self.path
        self.send_header('Cache-Control', 'public, max-age=31536000, immutable' if versioned else 'no-cache')
        self.send_header('Vary', 'Accept-Encoding')
        super().end_headers()

    def do_GET(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        wanted = re.fullmatch(r'bytes=(\d+)-(\d*)', self.headers.get('Range', '').strip())
        if wanted and os.path.isfile(path) and not path.endswith(compressible):
            return self.send_range(path, int(wanted.group(1)), wanted.group(2))
        if not path.endswith(compressible) or 'gzip' not in self.headers.get('Accept-Encoding', '') \
                or not os.path.isfile(path):
            return super().do_GET()
        mtime = os.path.getmtime(path)
        with lock:
            kept = compressed.get(path)
            if kept is None or kept[0] != mtime:
                with open(path, 'rb') as f:
                    kept = (mtime, gzip.compress(f.read(), 9))
                compressed[path] = kept
        body = kept[1]
        self.send_response(200)
        self.send_header('Content-Type', self.guess_type(path))
        self.send_header('Content-Encoding', 'gzip')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_range(self, path, first, last):
        size = os.path.getsize(path)
        end = min(int(last) + 1, size) if last else size
        if first >= size or end <= first:
            self.send_response(416)
            self.send_header('Content-Range', f'bytes */{size}')
            self.send_header('Content-Length', '0')
            self.end_headers()
            return
        with open(path, 'rb') as f:
            f.seek(first)
            body = f.read(end - first)
        self.send_response(206)
        self.send_header('Content-Type', self.guess_type(path))
        self.send_header('Content-Range', f'bytes {first}-{end - 1}/{size}')
        self.send_header('Content-Length', str(len(body)))
        self.send_header('Accept-Ranges', 'bytes')
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer((bind, port), Handler)
server.daemon_threads = True
server.serve_forever()
