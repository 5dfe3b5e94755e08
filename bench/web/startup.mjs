// The browser edition's size and start-up time.
//   node bench/web/startup.mjs [SITE_DIR]      (default build-web/site)
// Size: every file of the site, raw and gzip-compressed. Time: from navigation to the first
// contentful paint, and until the page is ready (its windows show the core's state and every
// action goes straight to the core), next to a blank page with one line of Japanese text (ready
// there: its first paint), in headless Chromium, median of 10 after one warm-up. On a laptop
// (1280 x 800) and on a phone (390 x 844, touch, the processor slowed 4 times), each on a first
// visit (a fresh browser context) and a repeat visit (the same context again: the service worker
// and the browser's cache at work).
import { copyFileSync, mkdtempSync, readFileSync, readdirSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, relative } from 'node:path';
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
const walk = (dir) => readdirSync(dir).sort().flatMap((name) => (statSync(join(dir, name)).isDirectory() ? walk(join(dir, name)) : [join(dir, name)]));
for (const path of walk(site)) {
    const bytes = readFileSync(path);
    const gzip = gzipSync(bytes, { level: 9 }).length;
    raw += bytes.length;
    packed += gzip;
    console.log(`${relative(site, path).padEnd(28)} ${String(bytes.length).padStart(8)} B raw ${String(gzip).padStart(8)} B gzip`);
}
console.log(`${'site'.padEnd(28)} ${String(raw).padStart(8)} B raw ${String(packed).padStart(8)} B gzip  (${(raw / 1024).toFixed(1)} KiB raw)`);

const blankSite = mkdtempSync(join(tmpdir(), 'tomokari-blank-'));
copyFileSync(join(here, 'blank.html'), join(blankSite, 'index.html'));

const PROFILES = {
    laptop: { context: { viewport: { width: 1280, height: 800 } }, slowdown: 1 },
    phone: { context: { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }, slowdown: 4 },
};

// Navigates a new page of the context to `url`; resolves to its first contentful paint and the
// moment it was ready, in milliseconds from the start of navigation.
async function visit(context, url, slowdown, calculator) {
    const page = await context.newPage();
    const session = await context.newCDPSession(page);
    await session.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
    await page.goto(url, { waitUntil: 'load' });
    if (calculator && await started(page) !== 'ready') throw new Error('the calculator did not start');
    const times = await page.evaluate(async (calc) => {
        const painted = () => performance.getEntriesByName('first-contentful-paint')[0];
        while (!painted()) await new Promise((resolve) => setTimeout(resolve, 10));
        const paint = painted().startTime;
        return { paint, ready: calc ? Math.max(paint, performance.getEntriesByName('tomokari-ready')[0].startTime) : paint };
    }, calculator);
    if (calculator) {
        await page.evaluate(() => new Promise((resolve) => {
            if (navigator.serviceWorker.controller) resolve();
            else navigator.serviceWorker.addEventListener('controllerchange', resolve);
        }));
    }
    await page.close();
    return times;
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
for (const [profile, { context: options, slowdown }] of Object.entries(PROFILES)) {
    const times = {};
    for (let run = 0; run <= RUNS; ++run) {
        for (const [name, url, isCalculator] of [['calculator', calculator.url, true], ['blank', blank.url, false]]) {
            const context = await browser.newContext(options);
            const first = await visit(context, url, slowdown, isCalculator);
            const repeat = await visit(context, url, slowdown, isCalculator);
            await context.close();
            if (run === 0) continue;
            for (const [visitName, value] of [['first', first], ['repeat', repeat]]) {
                for (const metric of ['paint', 'ready']) (times[`${name} ${visitName} ${metric}`] ??= []).push(value[metric]);
            }
        }
    }
    for (const visitName of ['first', 'repeat']) {
        const m = (key) => median(times[key]);
        const blankPaint = m(`blank ${visitName} paint`);
        const [paint, ready] = [m(`calculator ${visitName} paint`), m(`calculator ${visitName} ready`)];
        console.log(`${profile} ${visitName} visit: first contentful paint ${paint.toFixed(1)} ms, ready ${ready.toFixed(1)} ms;`
            + ` blank Japanese page ${blankPaint.toFixed(1)} ms; ratios ${(paint / blankPaint).toFixed(2)} and ${(ready / blankPaint).toFixed(2)} (median of ${RUNS})`);
    }
}
await browser.close();
await calculator.close();
await blank.close();
