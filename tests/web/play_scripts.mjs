// Plays scripts on the site in one browser tab, the program started afresh for each, as
// tomokari-web-script plays them on DEVICE (laptop or phone), and compares what it prints, then how
// it ends ("exit N" and its error line without the runner's name), byte for byte with what CHECK
// (tomokari-check built for Node.js) says the workflow core prints for the same script; the page
// must log no error on the way. The arguments are those of tests/play_scripts.sh: each SCRIPT a
// .script file, a .txt list of scripts (paths under the list's folder without .script; "#" starts
// a comment), or --random=N for the random sequences of the seeds 1 to N.
//   node play_scripts.mjs SITE_DIR CHECK DEVICE SCRIPT...
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { errorsOf, launch, serve } from './browser.mjs';
import { decodeScript, open, play, restart } from './tomokari_web_script.mjs';

const [site, check, device, ...args] = process.argv.slice(2);
const tool = (toolArgs, input) => {
    const run = spawnSync(process.execPath, [check, ...toolArgs], { input, maxBuffer: 1 << 28 });
    if (run.status !== 0) throw new Error(`tomokari-check ${toolArgs.join(' ')}: ${run.stderr}`);
    return run.stdout;
};

// Each script: its name and its bytes, which the page and the core both read.
const scripts = args.flatMap((arg) => {
    const seeds = /^--random=(\d+)$/.exec(arg);
    if (seeds) return Array.from({ length: Number(seeds[1]) }, (_, k) => ({ name: `seed ${k + 1}`, bytes: tool(['random', String(k + 1), '80']) }));
    if (!arg.endsWith('.txt')) return [{ name: arg, bytes: readFileSync(arg) }];
    return readFileSync(arg, 'utf8').split('\n').map((line) => line.trim()).filter((line) => line && !line.startsWith('#'))
        .map((name) => join(dirname(arg), `${name}.script`)).map((name) => ({ name, bytes: readFileSync(name) }));
});

const server = await serve(site);
const browser = await launch();
const { page } = await open(browser, server.url, device);
const errors = errorsOf(page);
let failed = 0;
for (const [n, { name, bytes }] of scripts.entries()) {
    if (n) await restart(page, server.url);
    errors.length = 0;
    const { status, output, error } = await play(page, decodeScript(bytes), device === 'phone');
    const ending = `exit ${status}\n${error.replace(/^tomokari-web-script: /gm, '')}`;
    if (`${output}${ending}` !== tool(['core', '-'], bytes).toString() || errors.length) {
        failed += 1;
        console.log(`FAILED: ${name} (tomokari-check core shows what the core prints)\n${[ending, ...errors].join('\n').replace(/^/gm, '    ')}`);
    }
}
await browser.close();
await server.close();
console.log(`${scripts.length - failed} of ${scripts.length} agree with the core`);
process.exitCode = failed || !scripts.length ? 1 : 0;
