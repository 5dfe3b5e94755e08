// Plays scripts on the site in one browser tab, the program started afresh for each, as
// tomokari-web-script plays one on DEVICE (laptop or phone), and compares what it prints byte for
// byte with what CHECK (tomokari-check built for Node.js) says it must:
//   node play_scripts.mjs SITE_DIR CHECK DEVICE DIR LIST   the recorded scripts named in LIST (as
//       tests/play_scripts.sh reads it): the dumps they expect, and their "#! " error lines
//   node play_scripts.mjs SITE_DIR CHECK DEVICE --random N the random sequences of the seeds 1 to N:
//       the dumps of the workflow core alone
// The page must log no error on the way.
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serve } from './browser.mjs';
import { decodeScript, open, play, restart } from './tomokari_web_script.mjs';

const [site, check, device, dir, list] = process.argv.slice(2);
const tool = (args, input) => {
    const run = spawnSync(process.execPath, [check, ...args], { input, encoding: 'utf8', maxBuffer: 1 << 28 });
    if (run.status !== 0) throw new Error(`tomokari-check ${args.join(' ')}: ${run.stderr}`);
    return run.stdout;
};

// Each case: a name, the script's text, and what the core says a runner must print for it and how it must end.
const cases = [];
const script = (name, text) => cases.push({ name, text, want: tool(['core', '-'], text) });
if (dir === '--random') {
    for (let seed = 1; seed <= Number(list); ++seed) script(`seed ${seed}`, tool(['random', String(seed), '80']));
} else {
    for (const name of readFileSync(list, 'utf8').split('\n').filter((line) => line && !line.startsWith('#'))) {
        script(name, decodeScript(readFileSync(join(dir, `${name}.script`))));
    }
}

const server = await serve(site);
const browser = await launch();
let failed = 0;
const { page } = await open(browser, server.url, device);
let errors = [];
page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
page.on('pageerror', (error) => errors.push(error.message));
for (const [n, { name, text, want }] of cases.entries()) {
    if (n) await restart(page, server.url);
    errors = [];
    const result = await play(page, text, device === 'phone');
    // The runner names itself on its error line; the expectation does not.
    const ending = `exit ${result.status}\n${result.error.replace(/^tomokari-web-script: /gm, '')}`;
    if (`${result.output}${ending}` !== want || errors.length) {
        failed += 1;
        console.log(`FAILED: ${name}\n${[ending, ...errors].join('\n').replace(/^/gm, '    ')}`);
    }
}
await browser.close();
await server.close();
console.log(`${cases.length - failed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;
