// Writes the generated files of the site: index.html with the windows as they are at start-up
// (the site's core itself gives their layout and state) and their style and geometry, and sw.js
// with the list of the site's files and a version made from their contents.
//   node build_site.mjs SITE_DIR SOURCE_DIR
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join, relative } from 'node:path';
import { instantiateCore } from './core.js';
import { desktopWidth, layoutStyles, pageMarkup } from './markup.mjs';

const [site, source] = process.argv.slice(2);
const core = await instantiateCore(WebAssembly.compile(readFileSync(join(site, 'tomokari-core.wasm'))));
const layouts = JSON.parse(core.layouts());
const tables = Object.fromEntries(['chi2prob.dat', 'power06.dat'].map((name) => [name, readFileSync(join(site, name))]));
const { program, failure } = core.start(tables, '/');
if (failure) throw new Error(failure);
const view = JSON.parse(program.view());

// The style sheet switches to the desktop arrangement where the layout says it fits.
const style = readFileSync(join(source, 'style.css'), 'utf8');
const breakpoint = `(min-width: ${desktopWidth(layouts)}px)`;
if (!style.includes(breakpoint)) throw new Error(`style.css does not switch to the desktop at ${breakpoint}`);

// The style goes into the page itself, allowed by its hash: nothing stands between the page and
// its first paint. So does the script that asks for the core, which then comes while the page is
// still being read.
const styles = `${style}\n${layoutStyles(layouts)}`.replace(/\/\*[\s\S]*?\*\//g, '');
const boot = readFileSync(join(source, 'boot.js'), 'utf8').replace(/^\s*\/\/.*\n/gm, '');
const hash = (text) => `'sha256-${createHash('sha256').update(text).digest('base64')}'`;
const template = readFileSync(join(source, 'index.html'), 'utf8');
for (const place of ['<!-- windows -->', '<!-- style -->', '<!-- boot -->', "default-src 'self';", "script-src 'self'"]) {
    if (!template.includes(place)) throw new Error(`index.html has no ${place}`);
}
writeFileSync(join(site, 'index.html'), template
    .replace("default-src 'self';", () => `default-src 'self'; style-src 'self' ${hash(styles)};`)
    .replace("script-src 'self'", () => `script-src 'self' ${hash(boot)}`)
    .replace('<!-- boot -->', () => `<script>${boot}</script>`)
    .replace('<!-- style -->', () => `<style>${styles}</style>`)
    .replace('<!-- windows -->', () => pageMarkup(layouts, view)));

// Everything the site serves, for the service worker to keep but the icons that only installing
// the site asks for (icons/); its version changes with any of them.
const files = [];
const walk = (dir) => {
    for (const name of readdirSync(dir).sort()) {
        const path = join(dir, name);
        if (statSync(path).isDirectory()) walk(path);
        else if (name !== 'sw.js') files.push(relative(site, path));
    }
};
walk(site);
const contents = createHash('sha256');
for (const file of files) contents.update(file).update(readFileSync(join(site, file)));
const worker = readFileSync(join(source, 'sw.js'), 'utf8')
    .replace('@VERSION@', contents.digest('hex').slice(0, 16))
    .replace('@FILES@', JSON.stringify(['./', ...files.filter((file) => !file.startsWith('icons/'))]));
writeFileSync(join(site, 'sw.js'), worker);
