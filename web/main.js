// The site: the core and the two table files are fetched from beside the page.
import createCore from './tomokari-core.js';
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

start({ createCore, moduleOptions: {}, fetchTable });
