// Loads the core and the two table files at once, while the page is still being read and laid
// out: the page's own script (main.js) takes them from here when the windows are there.
import createCore from './tomokari-core.js';

// The file's bytes, or null when the server has none to give: the core then reports it missing.
async function fetchTable(name) {
    try {
        const response = await fetch(name, { cache: 'no-cache' });
        return response.ok ? new Uint8Array(await response.arrayBuffer()) : null;
    } catch {
        return null;
    }
}

export const module = createCore({});
export const tables = Object.fromEntries(['chi2prob.dat', 'power06.dat'].map((name) => [name, fetchTable(name)]));
