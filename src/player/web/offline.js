// The site kept for visits without a network: the page registers this
// worker as sw-VERSION.js, VERSION standing for the build, once the show is
// ready. It keeps every file of the site in a cache of that version and
// answers the versioned files from it first, the page and the files named
// without a version from the network first (from the cache without one); a
// new build has a new name, whose worker fills a new cache and, once it
// takes over, drops the old ones.
'use strict';
const version = /sw-([0-9a-f]+)\.js$/.exec(self.location.pathname)[1];
const cacheName = 'sava-' + version;
const site = ['./', 'index.html', 'poster.jpg', 'favicon.svg',
              ...['page.js', 'loader.js', 'keep_offline.js', 'controls.js', 'sava.js', 'sava.wasm', 'data/show.json'].map((f) => `${f}?v=${version}`)];

// The site and every file its list (data/show.json) names, but those the
// page has put in already (the soundtrack, which it fetched in ranges).
async function keep() {
  const list = await (await fetch(`data/show.json?v=${version}`)).json();
  const data = [list.soundtrack, ...list.pictures].map((f) => `data/${f.file}?v=${version}`);
  const cache = await caches.open(cacheName);
  const files = [...site, ...data];
  const kept = await Promise.all(files.map((file) => cache.match(file)));
  await cache.addAll(files.filter((file, i) => !kept[i]));
}

self.addEventListener('install', (event) => {
  event.waitUntil(keep().then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('sava-') && n !== cacheName)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  // The page's address may carry a query (capture mode): the page is the same.
  const ignoreSearch = request.mode === 'navigate';
  const kept = () => caches.open(cacheName).then((cache) => cache.match(request, { ignoreSearch }));
  // The page itself and the files not named by version (the poster, the
  // icon) come from the network while there is one, so that a new build
  // reaches a returning visitor (its page names its own files and worker);
  // the versioned files never change and come from the cache first.
  if (!url.searchParams.has('v')) {
    event.respondWith(fetch(request, { cache: 'no-cache' }).catch(() => kept().then((response) => response || Response.error())));
    return;
  }
  event.respondWith(kept().then((response) => response || fetch(request)));
});
