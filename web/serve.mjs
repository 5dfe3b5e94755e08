// A static server for the site on the loopback interface: what `./dev.sh web` runs, and what
// the runner, the tests and the benchmark serve the page with.
//   node web/serve.mjs DIR [PORT]   serves DIR until stopped and prints its address
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
    '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.dat': 'text/plain; charset=utf-8',
    '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

// Serves `root` on 127.0.0.1 (a free port unless one is given); resolves to { url, close }.
// `seen`, where given, hears the path of every request.
export async function serve(root, port = 0, seen = () => {}) {
    const top = resolve(root);
    const server = createServer(async (request, response) => {
        try {
            seen(new URL(request.url, 'http://localhost').pathname);
            const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
            const file = resolve(join(top, path.endsWith('/') ? `${path}index.html` : path));
            if (!file.startsWith(top + sep)) throw new Error('outside the site');
            const body = await readFile(file);
            response.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' }).end(body);
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
