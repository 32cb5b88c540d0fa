'use strict';
// Once all the show is here, the site is kept for visits without a
// network (the build puts its version in the worker's name).
const offlineWorker = 'sw-@SITE_VERSION@.js';
window.savaOffline = null;
function keepForOffline() {
  if (!('serviceWorker' in navigator) || offlineWorker.includes('@')) return;
  window.savaOffline = keepSoundtrack().catch(() => {})
    .then(() => navigator.serviceWorker.register(offlineWorker))
    .then(() => navigator.serviceWorker.ready).then(() => true, () => false);
}
