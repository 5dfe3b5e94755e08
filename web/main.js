// The site: the windows are in the page already; the core and the two table files are fetched
// from beside it. A service worker keeps the whole site for visits without a network.
import { start } from './page.js';

// The file's bytes, or null when the server has none to give: the core then reports it missing.
async function fetchTable(name) {
    try {
        const response = await fetch(name, { cache: 'no-cache' });
        return response.ok ? new Uint8Array(await response.arrayBuffer()) : null;
    } catch {
        return null;
    }
}

// The service worker is set up once the page is ready, so that keeping the site for later never
// slows this start.
await start({ createCore: async (options) => (await import('./tomokari-core.js')).default(options), moduleOptions: {}, fetchTable });
if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
