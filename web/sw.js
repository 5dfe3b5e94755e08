// Keeps the whole site, so that it starts without a network after the first visit. The build
// writes the list of files and a version made from their contents; a new build brings a new
// version, whose cache replaces the old one.
const VERSION = '@VERSION@';
const FILES = @FILES@;
const CACHE = `tomokari-${VERSION}`;

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
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
