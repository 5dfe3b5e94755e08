// Keeps the site, so that it starts without a network after the first visit. The build writes the
// list of files and a version made from their contents; a new build brings a new version, whose
// cache replaces the old one. The icons that a browser fetches only to install the site are not
// among them: installing is done online.
const VERSION = '@VERSION@';
const FILES = @FILES@;
const CACHE = `tomokari-${VERSION}`;

self.addEventListener('install', (event) => {
    // Where the browser can, it answers from the cache itself, without starting this worker, and
    // asks the server for what the cache does not have: a visit then starts as soon as a first one.
    const site = new URL('./', self.location).pathname.replace(/[\\:*?+(){}]/g, '\\$&');
    const routed = event.addRoutes?.({ condition: { urlPattern: { pathname: `${site}*`, search: '' } }, source: { cacheName: CACHE } });
    event.waitUntil(Promise.all([caches.open(CACHE).then((cache) => cache.addAll(FILES)), routed]).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name.startsWith('tomokari-') && name !== CACHE).map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// The site's own files from the cache; the address's query and fragment do not matter.
self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(request, { ignoreSearch: true }))
        .then((cached) => cached ?? fetch(request)));
});
