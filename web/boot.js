// Asks for the core and the two table files at once, while the page is still being read, and
// compiles the core as its bytes arrive. The build writes this into the head of the page itself,
// so that it runs before anything else is read or laid out; the page's own script (main.js) takes
// what it started from `tomokariLoading` when the windows are there.
var tomokariLoading = (() => {
    const CORE = 'tomokari-core.wasm';
    // The file's bytes, or null when the server has none to give: the core then reports it missing.
    const fetchTable = (name) => fetch(name, { cache: 'no-cache' })
        .then((response) => (response.ok ? response.arrayBuffer().then((bytes) => new Uint8Array(bytes)) : null))
        .catch(() => null);
    return {
        // A server that does not send the core as application/wasm costs only the compiling as it arrives.
        module: WebAssembly.compileStreaming(fetch(CORE))
            .catch(() => fetch(CORE).then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes))),
        tables: Object.fromEntries(['chi2prob.dat', 'power06.dat'].map((name) => [name, fetchTable(name)])),
    };
})();
