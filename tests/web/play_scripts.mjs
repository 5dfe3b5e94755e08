// Plays scripts on the site in one browser tab, the program started afresh for each, as
// tomokari-web-script plays one on DEVICE (laptop or phone), and compares what it prints byte for
// byte with what CHECK (tomokari-check built for Node.js) says it must:
//   node play_scripts.mjs SITE_DIR CHECK DEVICE DIR LIST   the recorded scripts named in LIST (as
//       tests/play_scripts.sh reads it): the dumps they expect, and their "#! " error lines
//   node play_scripts.mjs SITE_DIR CHECK DEVICE --random N the random sequences of the seeds 1 to N:
//       the dumps of the workflow core alone
// The page must log no error on the way.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, serve } from './browser.mjs';
import { decodeScript, open, play, restart } from './tomokari_web_script.mjs';

const [site, check, device, dir, list] = process.argv.slice(2);
const tool = (...args) => {
    const run = spawnSync(process.execPath, [check, ...args], { encoding: 'utf8', maxBuffer: 1 << 28 });
    if (run.status !== 0) throw new Error(`tomokari-check ${args.join(' ')}: ${run.stderr}`);
    return run.stdout;
};

// Each case: a name, the script's text, the dumps and the error it must give.
const cases = [];
if (dir === '--random') {
    const scratch = mkdtempSync(join(tmpdir(), 'tomokari-random-'));
    for (let seed = 1; seed <= Number(list); ++seed) {
        const [text, script] = [tool('random', String(seed), '80'), join(scratch, `${seed}.script`)];
        writeFileSync(script, text);  // the core reads it from a file
        cases.push({ name: `seed ${seed}`, text, dumps: tool('core', script), error: 'exit 0\n' });
    }
    rmSync(scratch, { recursive: true });
} else {
    for (const name of readFileSync(list, 'utf8').split('\n').filter((line) => line && !line.startsWith('#'))) {
        const script = join(dir, `${name}.script`);
        const text = decodeScript(readFileSync(script));
        const error = text.split('\n').filter((line) => line.startsWith('#! ')).map((line) => `${line.slice(3)}\n`).join('');
        cases.push({ name, text, dumps: tool('expected', join(dir, 'start-up.state'), script), error: error || 'exit 0\n' });
    }
}

const server = await serve(site);
const browser = await launch();
let failed = 0;
const { page } = await open(browser, server.url, device);
let errors = [];
page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
page.on('pageerror', (error) => errors.push(error.message));
for (const [n, { name, text, dumps, error }] of cases.entries()) {
    if (n) await restart(page, server.url);
    errors = [];
    const result = await play(page, text, device === 'phone');
    // The runner names itself on its error line; the expectation does not.
    const got = `exit ${result.status}\n${result.error.replace(/^tomokari-web-script: /gm, '')}`;
    if (result.output !== dumps || got !== error || errors.length) {
        failed += 1;
        console.log(`FAILED: ${name}\n${[got, ...errors].join('\n').replace(/^/gm, '    ')}`);
    }
}
await browser.close();
await server.close();
console.log(`${cases.length - failed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;
