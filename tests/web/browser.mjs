// Opens pages in Debian's headless Chromium, served on a free loopback port: what the web
// runner, the web tests and the benchmark share.
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

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


// The layouts as the core declares them, from its build for Node.js in the build directory.
export async function coreLayouts(build) {
    const createCore = createRequire(import.meta.url)(join(build, 'node', 'tomokari-core-node.js'));
    return JSON.parse((await createCore()).layouts());
}
