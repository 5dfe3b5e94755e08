// Plays the scripts named in LIST (as tests/play_scripts.sh reads it) from DIR on the site in
// one browser tab, the program started afresh for each, as tomokari-web-script plays one on
// DEVICE (laptop or phone),
// and compares what it prints with NAME.dumps and NAME.error. The page must log no error on the way.
//   node play_scripts.mjs SITE_DIR DIR LIST [DEVICE]
import { readFileSync, existsSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serve } from './browser.mjs';
import { decodeScript, open, play, restart } from './tomokari_web_script.mjs';

const [site, dir, list, device = 'laptop'] = process.argv.slice(2);
const names = readFileSync(list, 'utf8').split('\n').filter((line) => line && !line.startsWith('#'));
// Either runner names itself on its error line.
const unnamed = (text) => text.replace(/^tomokari[a-z-]*: /gm, '');

const server = await serve(site);
const browser = await launch();
let failed = 0;
const { page } = await open(browser, server.url, device);
let errors = [];
page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
page.on('pageerror', (error) => errors.push(error.message));
for (const [n, name] of names.entries()) {
    if (n) await restart(page, server.url);
    errors = [];
    const result = await play(page, decodeScript(readFileSync(join(dir, `${name}.script`))), device === 'phone');
    const errorFile = join(dir, `${name}.error`);
    const want = existsSync(errorFile) ? readFileSync(errorFile, 'utf8') : 'exit 0\n';
    const got = `exit ${result.status}\n${result.error}`;
    const same = result.output === readFileSync(join(dir, `${name}.dumps`), 'utf8') && unnamed(got) === unnamed(want);
    if (!same || errors.length) {
        failed += 1;
        console.log(`FAILED: ${name}\n${[got, ...errors].join('\n').replace(/^/gm, '    ')}`);
    }
}
await browser.close();
await server.close();
console.log(`${names.length - failed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;
