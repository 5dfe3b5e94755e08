// Writes the site as one HTML file that works when opened from disk: the page with its windows
// written in, its style, its modules with the core's WebAssembly and the two table files inline,
// in one module script that the Content-Security-Policy allows by its hash.
//   node single_file.mjs SITE_DIR OUTPUT
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [site, output] = process.argv.slice(2);
const read = (name) => readFileSync(join(site, name));

// The page's modules become one script, the core's WebAssembly module and the two table files in it.
const core = read('core.js').toString().replace(/^export /gm, '');
const page = read('page.js').toString().replace(/^import .*\n/gm, '').replace(/^export /gm, '');
const base64 = (name) => read(name).toString('base64');
const script = `${core}
${page}
const fromBase64 = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
start({
    module: WebAssembly.compile(fromBase64('${base64('tomokari-core.wasm')}')),
    tables: {
        'chi2prob.dat': fromBase64('${base64('chi2prob.dat')}'),
        'power06.dat': fromBase64('${base64('power06.dat')}'),
    },
});
`;
// The page's style stands in it already, allowed by its hash.
const style = /<style>([\s\S]*?)<\/style>/.exec(read('index.html').toString())[1];
const hash = (text) => `'sha256-${createHash('sha256').update(text).digest('base64')}'`;
const policy = `default-src 'none'; script-src ${hash(script)} 'wasm-unsafe-eval'; style-src ${hash(style)}; img-src data: blob:; object-src 'none'; base-uri 'none'`;
const icon = `data:image/svg+xml;base64,${base64('icon.svg')}`;

const html = read('index.html').toString()
    .replace(/<meta http-equiv="Content-Security-Policy" content="[^"]*">/, `<meta http-equiv="Content-Security-Policy" content="${policy}">`)
    .replace('href="icon.svg"', () => `href="${icon}"`)
    // Opened from disk it installs nothing: no manifest, no service worker.
    .replace(/<link rel="(manifest|apple-touch-icon)"[^>]*>\n/g, '')
    .replace(/<link rel="(module)?preload"[^>]*>\n/g, '')
    .replace(/<script>[\s\S]*?<\/script>\n/, '')
    .replace('<script type="module" src="main.js"></script>', () => `<script type="module">${script}</script>`);
if (!html.includes(hash(script).slice(8, 20))) throw new Error('the page has no policy to replace');
writeFileSync(output, html);
