// Serves a folder on a free loopback port and opens pages in Debian's headless Chromium: what
// the web runner, the web tests and the benchmark share.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const TYPES = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
    '.wasm': 'application/wasm', '.dat': 'text/plain; charset=utf-8',
};

// A static server for `root` on 127.0.0.1 (a free port unless one is given); resolves to
// { url, close }.
export async function serve(root, port = 0) {
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
        if (!file.startsWith(normalize(root))) {
            response.writeHead(403).end();
            return;
        }
        try {
            const body = await readFile(file);
            response.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' }).end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    await new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((resolve) => server.close(resolve)),
    };
}

// Chromium as the machine has it, with nothing of it reaching out to the network.
export function launch() {
    return chromium.launch({
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
}

// Resolves once the page has started: 'ready', or 'failed' with the start-up message shown.
export async function started(page) {
    await page.waitForSelector('html[data-state]', { state: 'attached' });
    return page.evaluate(() => document.documentElement.dataset.state);
}

// node browser.mjs DIR [PORT]: serves DIR until stopped and prints its address.
if (import.meta.url === pathToFileURL(process.argv[1]).href) {
    const { url } = await serve(process.argv[2], Number(process.argv[3] ?? 0));
    console.log(url);
}
