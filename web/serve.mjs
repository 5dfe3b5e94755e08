// A static server for the site on the loopback interface: what `./dev.sh web` runs, and what
// the runner, the tests and the benchmark serve the page with. It serves as the README asks a
// server to: texts and the core compressed, every file revalidated (the service worker keeps them).
//   node web/serve.mjs DIR [PORT]   serves DIR until stopped and prints its address
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { gzipSync } from 'node:zlib';
import { extname, join, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
    '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.dat': 'text/plain; charset=utf-8',
    '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

const COMPRESSED = new Set(['.html', '.js', '.css', '.wasm', '.svg', '.dat', '.webmanifest']);

// Serves `root` on 127.0.0.1 (a free port unless one is given); resolves to { url, close }.
// `seen`, where given, hears the path of every request.
export async function serve(root, port = 0, seen = () => {}) {
    const top = resolve(root);
    const packed = new Map();  // a file's gzip form by its path, with the time it was written
    const server = createServer(async (request, response) => {
        try {
            seen(new URL(request.url, 'http://localhost').pathname);
            const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
            const file = resolve(join(top, path.endsWith('/') ? `${path}index.html` : path));
            if (!file.startsWith(top + sep)) throw new Error('outside the site');
            const { mtimeMs } = await stat(file);
            let body = await readFile(file);
            const headers = { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-cache' };
            if (COMPRESSED.has(extname(file)) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
                if (packed.get(file)?.mtimeMs !== mtimeMs) packed.set(file, { mtimeMs, gzip: gzipSync(body, { level: 9 }) });
                body = packed.get(file).gzip;
                Object.assign(headers, { 'Content-Encoding': 'gzip', Vary: 'Accept-Encoding' });
            }
            response.writeHead(200, headers).end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    await new Promise((ready) => server.listen(port, '127.0.0.1', ready));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((closed) => server.close(closed)),
    };
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
    const { url } = await serve(process.argv[2], Number(process.argv[3] ?? 0));
    console.log(url);
}
