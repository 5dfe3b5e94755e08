// The browser edition's size and start-up time.
//   node bench/web/startup.mjs [SITE_DIR]      (default build-web/site)
// Size: every file of the site, raw and gzip-compressed. Time: from navigation until the page
// shows its content and accepts input (its first contentful paint, and for the calculator no
// earlier than its windows take input), next to a blank page with one line of Japanese text,
// in headless Chromium, a fresh context each time, median of 10 after one warm-up.
import { readdirSync, readFileSync, copyFileSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { launch, started } from '../../tests/web/browser.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const site = process.argv[2] ?? join(here, '..', '..', 'build-web', 'site');
const RUNS = 10;

let raw = 0;
let packed = 0;
for (const name of readdirSync(site).sort()) {
    const bytes = readFileSync(join(site, name));
    const gzip = gzipSync(bytes, { level: 9 }).length;
    raw += bytes.length;
    packed += gzip;
    console.log(`${name.padEnd(22)} ${String(bytes.length).padStart(8)} B raw ${String(gzip).padStart(8)} B gzip`);
}
console.log(`${'site'.padEnd(22)} ${String(raw).padStart(8)} B raw ${String(packed).padStart(8)} B gzip  (${(raw / 1024).toFixed(1)} KiB raw)`);

const blankSite = mkdtempSync(join(tmpdir(), 'tomokari-blank-'));
copyFileSync(join(here, 'blank.html'), join(blankSite, 'index.html'));

// Milliseconds from the start of navigation until the page accepts input.
async function readyTime(browser, url, calculator) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    await page.goto(url, { waitUntil: 'load' });
    if (calculator && await started(page) !== 'ready') throw new Error('the calculator did not start');
    // Both pages measured alike: the first paint of their content, and for the calculator no
    // earlier than the moment its windows take input.
    const time = await page.evaluate(async (calc) => {
        const painted = () => performance.getEntriesByName('first-contentful-paint')[0];
        while (!painted()) await new Promise((resolve) => setTimeout(resolve, 10));
        const ready = calc ? performance.getEntriesByName('tomokari-ready')[0].startTime : 0;
        return Math.max(painted().startTime, ready);
    }, calculator);
    await context.close();
    return time;
}

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    return (sorted[(sorted.length - 1) >> 1] + sorted[sorted.length >> 1]) / 2;
};

// Each site from a server process of its own, so that serving never waits on this process.
async function serve(root) {
    const server = spawn(process.execPath, [join(here, '..', '..', 'web', 'serve.mjs'), root],
        { stdio: ['ignore', 'pipe', 'inherit'] });
    const [line] = await once(server.stdout, 'data');
    return { url: line.toString().trim(), close: () => server.kill() };
}

const browser = await launch();
const calculator = await serve(site);
const blank = await serve(blankSite);
const times = { calculator: [], blank: [] };
for (let run = 0; run <= RUNS; ++run) {
    const c = await readyTime(browser, calculator.url, true);
    const b = await readyTime(browser, blank.url, false);
    if (run > 0) {
        times.calculator.push(c);
        times.blank.push(b);
    }
}
await browser.close();
await calculator.close();
await blank.close();
const [c, b] = [median(times.calculator), median(times.blank)];
console.log(`ready: calculator ${c.toFixed(1)} ms, blank Japanese page ${b.toFixed(1)} ms (median of ${RUNS}), ratio ${(c / b).toFixed(2)}`);
