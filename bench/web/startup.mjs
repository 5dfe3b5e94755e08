// The browser edition's size and start-up time.
//   node bench/web/startup.mjs [SITE_DIR]      (default build-web/site)
// Size: every file of the site, raw and gzip-compressed, and what a first visit fetches (all but
// the icons that only installing the site asks for). Time: from navigation to the first contentful
// paint, and until the page is ready (its windows show the core's state and every action goes
// straight to the core), next to the floor: a copy of the site whose index.html has its scripts and
// their preloads taken out, the same windows and texts as a static page (ready there: its first
// paint). In headless Chromium, median of 10 after one warm-up, each site served by a server
// process of its own; on a laptop (1280 x 800) and on a phone (390 x 844, touch, the processor
// slowed 4 times), each on a first visit (a fresh browser context), a repeat visit (the same
// context again: the service worker and the browser's cache at work) and one more offline, next to
// the floor's repeat visit.
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { launch } from '../../tests/web/browser.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const site = process.argv[2] ?? join(here, '..', '..', 'build-web', 'site');
const RUNS = 10;

const sizes = { site: [0, 0], 'first visit': [0, 0] };
const walk = (dir) => readdirSync(dir).sort().flatMap((name) => (statSync(join(dir, name)).isDirectory() ? walk(join(dir, name)) : [join(dir, name)]));
for (const path of walk(site)) {
    const bytes = readFileSync(path);
    const gzip = gzipSync(bytes, { level: 9 }).length;
    const name = relative(site, path);
    for (const total of name.startsWith('icons/') ? ['site'] : ['site', 'first visit']) {
        sizes[total][0] += bytes.length;
        sizes[total][1] += gzip;
    }
    console.log(`${name.padEnd(28)} ${String(bytes.length).padStart(8)} B raw ${String(gzip).padStart(8)} B gzip`);
}
for (const [name, [raw, packed]] of Object.entries(sizes)) {
    console.log(`${name.padEnd(28)} ${String(raw).padStart(8)} B raw ${String(packed).padStart(8)} B gzip  (${(raw / 1024).toFixed(1)} KiB raw, ${(packed / 1024).toFixed(1)} KiB gzip)`);
}

// The floor: the site as it is, its page without a script to run or to fetch ahead.
const floorSite = mkdtempSync(join(tmpdir(), 'tomokari-floor-'));
cpSync(site, floorSite, { recursive: true });
rmSync(join(floorSite, 'sw.js'));
const page = readFileSync(join(site, 'index.html'), 'utf8');
const floorPage = page.replace(/<script\b[^>]*>[\s\S]*?<\/script>\n?/g, '').replace(/<link rel="(module)?preload"[^>]*>\n?/g, '');
if (floorPage === page || /<script|preload/.test(floorPage)) throw new Error('the floor still has a script, or the page had none');
writeFileSync(join(floorSite, 'index.html'), floorPage);

const PROFILES = {
    laptop: { context: { viewport: { width: 1280, height: 800 } }, slowdown: 1 },
    phone: { context: { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }, slowdown: 4 },
};

// Resolves to the page's state once it has started: 'ready', or 'failed'. Asked through the
// DevTools protocol with a few lines, so that the driver's own scripts are not put into the page
// while it starts.
const START = `new Promise((resolve) => {
    const state = () => document.documentElement.dataset.state;
    if (state()) resolve(state());
    else new MutationObserver(() => state() && resolve(state())).observe(document.documentElement, { attributes: true });
})`;

// Navigates a new page of the context to `url`; resolves to its first contentful paint and the
// moment it was ready, in milliseconds from the start of navigation.
async function visit(context, url, slowdown, calculator) {
    const tab = await context.newPage();
    const session = await context.newCDPSession(tab);
    await session.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
    await tab.goto(url, { waitUntil: 'load' });
    if (calculator) {
        const { result } = await session.send('Runtime.evaluate', { expression: START, awaitPromise: true, returnByValue: true });
        if (result.value !== 'ready') throw new Error('the calculator did not start');
    }
    const times = await tab.evaluate(async (calc) => {
        const painted = () => performance.getEntriesByName('first-contentful-paint')[0];
        while (!painted()) await new Promise((resolve) => setTimeout(resolve, 10));
        const paint = painted().startTime;
        return { paint, ready: calc ? Math.max(paint, performance.getEntriesByName('tomokari-ready')[0].startTime) : paint };
    }, calculator);
    if (calculator) {
        await tab.evaluate(() => new Promise((resolve) => {
            if (navigator.serviceWorker.controller) resolve();
            else navigator.serviceWorker.addEventListener('controllerchange', resolve);
        }));
    }
    await tab.close();
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
const floor = await serve(floorSite);
for (const [profile, { context: options, slowdown }] of Object.entries(PROFILES)) {
    const times = {};
    for (let run = 0; run <= RUNS; ++run) {
        for (const [name, url, isCalculator] of [['calculator', calculator.url, true], ['floor', floor.url, false]]) {
            const context = await browser.newContext(options);
            const visits = [['first', await visit(context, url, slowdown, isCalculator)],
                ['repeat', await visit(context, url, slowdown, isCalculator)]];
            if (isCalculator) {
                await context.setOffline(true);
                visits.push(['offline', await visit(context, url, slowdown, isCalculator)]);
            }
            await context.close();
            if (run === 0) continue;
            for (const [visitName, value] of visits) {
                for (const metric of ['paint', 'ready']) (times[`${name} ${visitName} ${metric}`] ??= []).push(value[metric]);
            }
        }
    }
    for (const visitName of ['first', 'repeat', 'offline']) {
        const m = (key) => median(times[key]);
        const floorPaint = m(`floor ${visitName === 'offline' ? 'repeat' : visitName} paint`);
        const [paint, ready] = [m(`calculator ${visitName} paint`), m(`calculator ${visitName} ready`)];
        console.log(`${profile} ${visitName} visit: first contentful paint ${paint.toFixed(1)} ms, ready ${ready.toFixed(1)} ms;`
            + ` the floor's paint ${floorPaint.toFixed(1)} ms; ratios ${(paint / floorPaint).toFixed(2)} and ${(ready / floorPaint).toFixed(2)} (median of ${RUNS})`);
    }
}
await browser.close();
await calculator.close();
await floor.close();
rmSync(floorSite, { recursive: true });
