// The site: the windows are in the page already; the core and the two table files were asked for
// by the script at the head of the page (boot.js) as soon as the page began. A service worker
// keeps the whole site for visits without a network.
import { start } from './page.js';

// The service worker is set up once the page is ready, so that keeping the site for later never
// slows this start.
await start(self.tomokariLoading);
if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
