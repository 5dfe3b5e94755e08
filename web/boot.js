// Asks for the core and the two table files at once, while the page is still being read and laid
// out, and compiles the core as its bytes arrive: the page's own script (main.js) takes them from
// here when the windows are there. This imports nothing, so that it runs as soon as it is here.
const CORE = 'tomokari-core.wasm';

// A server that does not send the core as application/wasm costs only the compiling as it arrives.
export const module = WebAssembly.compileStreaming(fetch(CORE))
    .catch(() => fetch(CORE).then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes)));

// The file's bytes, or null when the server has none to give: the core then reports it missing.
async function fetchTable(name) {
    try {
        const response = await fetch(name, { cache: 'no-cache' });
        return response.ok ? new Uint8Array(await response.arrayBuffer()) : null;
    } catch {
        return null;
    }
}

export const tables = Object.fromEntries(['chi2prob.dat', 'power06.dat'].map((name) => [name, fetchTable(name)]));
