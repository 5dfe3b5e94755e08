// Opens pages in Debian's headless Chromium, served on a free loopback port: what the web
// runner, the web tests and the benchmark share.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { instantiateCore } from '../../web/core.js';

export { serve } from '../../web/serve.mjs';

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

// The script player imports this module, so it is loaded when first used.
const player = () => import('./tomokari_web_script.mjs');

// The errors the page logs from now on.
export function errorsOf(page) {
    const errors = [];
    page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
    page.on('pageerror', (error) => errors.push(error.message));
    return errors;
}

// The typical run on a 2 x 2 table (its recorded script without the dumps): the actions before the
// line `before`, or all of them.
export function typicalRun(before) {
    const lines = readFileSync(new URL('../recorded/steps/typical-2x2-run.script', import.meta.url), 'utf8')
        .split('\n').filter((line) => line && !line.startsWith('#') && line !== 'dump');
    const end = before === undefined ? lines.length : lines.indexOf(before);
    assert.ok(end >= 0, `the typical run has no ${before}`);
    return lines.slice(0, end).map((line) => `${line}\n`).join('');
}

// Plays the script on the page, failing on a line the page does not take; resolves to what it printed.
export async function run(page, script, phone = false) {
    const { play } = await player();
    const { status, output, error } = await play(page, script, phone);
    assert.equal(status, 0, error);
    return output;
}

// Opens `url` on the device, motion reduced so that a step's window is in view at once; plays the
// script, hands the page, what the script printed and the errors the page logged so far to `check`,
// then fails on any error left. The page is closed in any case.
export async function withPage(browser, url, { device = 'laptop', options = {}, script = '' }, check = () => {}) {
    const { open } = await player();
    const { page, state } = await open(browser, url, device, { reducedMotion: 'reduce', ...options });
    try {
        const errors = errorsOf(page);
        assert.equal(state, 'ready', url);
        const value = await check(page, await run(page, script, device === 'phone'), errors);
        assert.deepEqual(errors, [], url);
        return value;
    } finally {
        await page.context().close();
    }
}

// The layouts as the core declares them, from the site's core in the build directory.
export async function coreLayouts(build) {
    const core = await instantiateCore(WebAssembly.compile(readFileSync(join(build, 'site', 'tomokari-core.wasm'))));
    return JSON.parse(core.layouts());
}
