#!/usr/bin/env python3
"""Serves the web site as a troubled server would, for the browser tests:
  python3 scripts/web/troubled_server.py SITE_DIR PORT
/PLACE/NAME serves SITE_DIR/NAME, except data/rinnu.mp3 (the soundtrack), which
under
  /missing/      is not there (404),
  /short/        is cut to half its size (a site put up incompletely),
  /long/         has a kilobyte more than its list says,
  /stalled/      sends its headers and first bytes, then nothing more,
  /second-time/  is not there on the first two requests (the page's own and
                 the one more it makes at once), and whole after them;
and data/stairs15.jpg (a picture no scene shows, so fetched last), which under
  /late/         is not there on the first two requests, and whole after them;
the whole site, which under
  /renewed/      is the site as built until /renewed/next is asked for, and
                 then a new build of it (the site's version changed in the
                 page, its scripts and the offline worker's name);
and data/show.json (the site's list), which is damaged under
  /picture-out-of-range/  a scene uses a picture the list does not have,
  /no-scenes/             no scenes,
  /wrong-types/           the pictures' sizes are strings.
"""
import glob
import json
import http.server
import os
import re
import sys
import threading
import time

site, port = sys.argv[1], int(sys.argv[2])
requests = {}
lock = threading.Lock()
built = re.search(r'sw-([0-9a-f]+)\.js$', glob.glob(os.path.join(site, 'sw-*.js'))[0]).group(1)
renewed = {'version': None}


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=site, **kwargs)

    def log_message(self, *args):
        pass

    # Every file revalidated (the site's own server does so for the page), so
    # that a new build under /renewed/ is seen at once.
    def end_headers(self):
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()

    def do_GET(self):
        parts = self.path.split('?')[0].strip('/').split('/', 1)
        place, name = parts if len(parts) == 2 else (parts[0], 'index.html')
        self.path = '/' + name
        if place == 'renewed':
            return self.renewed(name)
        damage = {
            'picture-out-of-range': lambda s: s['scenes'][1]['pictures'].append(len(s['pictures'])),
            'no-scenes': lambda s: s.update(scenes=[]),
            'wrong-types': lambda s: [p.update(width=str(p['width'])) for p in s['pictures']],
        }
        if place in damage and name == 'data/show.json':
            show = json.load(open(os.path.join(site, name)))
            damage[place](show)
            return self.send_data(json.dumps(show).encode())
        troubled = 'data/stairs15.jpg' if place == 'late' else 'data/rinnu.mp3'
        if name != troubled:
            return super().do_GET()
        with lock:
            requests[place] = requests.get(place, 0) + 1
            count = requests[place]
        data = open(os.path.join(site, name), 'rb').read()
        if place == 'missing' or (place in ('second-time', 'late') and count <= 2):
            return self.send_error(404)
        if place == 'short':
            data = data[:len(data) // 2]
        if place == 'long':
            data += bytes(1024)
        self.send_data(data, stall=place == 'stalled')

    def renewed(self, name):
        if name == 'next':
            renewed['version'] = ''.join('0123456789abcdef'[(int(c, 16) + 1) % 16] for c in built)
            return self.send_data(b'')
        new = renewed['version']
        if new is None or not (name.endswith('.js') or name.endswith('.html')):
            return super().do_GET()
        name = name.replace(new, built)
        try:
            text = open(os.path.join(site, name), 'rb').read()
        except OSError:
            return self.send_error(404)
        self.send_data(text.replace(built.encode(), new.encode()),
                       'text/html' if name.endswith('.html') else 'text/javascript')

    # `data`, or with `stall` its first bytes and then nothing for a minute.
    def send_data(self, data, kind='application/octet-stream', stall=False):
        self.send_response(200)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        if not stall:
            return self.wfile.write(data)
        self.wfile.write(data[:65536])
        self.wfile.flush()
        time.sleep(60)


server = http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler)
server.daemon_threads = True
server.serve_forever()
