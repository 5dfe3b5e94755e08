// What the recorded scripts cannot see of the browser edition: the runner's exit statuses and how
// it reads scripts, a table file missing or broken, the single file opened from disk, the policy
// against eval, and the keyboard in the boxes.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { cpSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import { coreLayouts, launch, run, serve, typicalRun, withPage } from './browser.mjs';
import { decodeScript, open } from './tomokari_web_script.mjs';

const build = process.env.TOMOKARI_WEB_BUILD;
const site = join(build, 'site');

// The runner as outside checks start it, the wrapper beside the site; or on another site.
const runner = (input, siteDir) => (siteDir
    ? spawnSync(process.execPath, [fileURLToPath(new URL('tomokari_web_script.mjs', import.meta.url)), siteDir, '-'], { input, encoding: 'utf8' })
    : spawnSync(join(build, 'tomokari-web-script'), ['-'], { input, encoding: 'utf8' }));

let browser;
let server;
before(async () => { [browser, server] = await Promise.all([launch(), serve(site)]); });
after(() => Promise.all([browser.close(), server.close()]));

// Script bytes as the desktop runner reads them (recorded from it): a byte-order mark at the
// start goes; a byte that begins no valid UTF-8 sequence is one U+FFFD.
const DECODED = [
    ['ef bb bf 41', '0041'], ['41 ef bb bf 42', '0041 FEFF 0042'], ['e3 81', 'FFFD FFFD'], ['e3 81 41', 'FFFD FFFD 0041'],
    ['f0 9f 98 41', 'FFFD FFFD FFFD 0041'], ['c3 41', 'FFFD 0041'], ['c0 af', 'FFFD FFFD'], ['e0 80 80', 'FFFD FFFD FFFD'],
    ['ed a0 80', 'FFFD FFFD FFFD'], ['f4 90 80 80', 'FFFD FFFD FFFD FFFD'], ['f8 88 80 80 80', 'FFFD FFFD FFFD FFFD FFFD'],
    ['41 e3 81 e3 81 82', '0041 FFFD FFFD 3042'], ['f4 8f bf bf c2 85', '10FFFF 0085'],
];

test('the runner reads a script and answers as the desktop runner does: dumps and status 0, an error line and status 2', () => {
    for (const [bytes, text] of DECODED) {
        const got = [...decodeScript(Buffer.from(bytes.replace(/ /g, ''), 'hex'))].map((c) => c.codePointAt(0).toString(16).toUpperCase().padStart(4, '0'));
        assert.equal(got.join(' '), text, bytes);
    }
    // Through the wrapper: a byte-order mark at the start goes, a line of U+0085 alone is blank, one
    // of U+FEFF alone is not; the dumps made before an error are printed, and nothing after it.
    for (const [script, status, error, dumps] of [
        ['\ufeffdump\n\u0085\ndump\n', 0, '', 2],
        ['dump\n\ufeff\ndump\n', 2, 'tomokari-web-script: line 2: unknown command: \ufeff\n', 1],
    ]) {
        const run = runner(script);
        const shown = run.stdout.split('\n').slice(0, -1).map((line) => JSON.parse(line).windows.Form4.shown);
        assert.deepEqual([run.status, run.stderr, shown], [status, error, Array(dumps).fill(true)], JSON.stringify(script));
    }
});

// A copy of the site with one table file changed (null: removed), served while `use` runs.
async function withTables(name, content, use) {
    const dir = mkdtempSync(join(tmpdir(), 'tomokari-site-'));
    cpSync(site, dir, { recursive: true });
    if (content === null) rmSync(join(dir, name));
    else writeFileSync(join(dir, name), content);
    const copy = await serve(dir);
    try {
        return await use(copy.url, dir);
    } finally {
        await copy.close();
        rmSync(dir, { recursive: true });
    }
}

test('a missing table file stops the runner with status 1, a broken one the page with its message alone, naming the file', async () => {
    await withTables('power06.dat', null, (url, dir) => {
        const run = runner('dump\n', dir);
        assert.deepEqual([run.status, run.stdout], [1, '']);
        assert.match(run.stderr, /^tomokari-web-script: 数表ファイル power06\.dat が見つかりません。/);
    });
    await withTables('chi2prob.dat', '3.84 6.63 x\n', async (url) => {
        const { page, state } = await open(browser, url);
        assert.equal(state, 'failed');
        assert.equal(await page.textContent('.failure .dialog-text'), '数表ファイル chi2prob.dat に数値でない値「x」があります。(/chi2prob.dat)');
        assert.equal(await page.locator('section.panel').count(), 0);
        await page.context().close();
    });
});

test('as the single file opened from disk the page computes as served, and both refuse inline script and code from strings', async () => {
    const outputs = [];
    for (const url of [server.url, `file://${join(build, 'tomokari.html')}`]) {
        await withPage(browser, url, { script: `${typicalRun()}dump\n` }, async (page, output, errors) => {
            outputs.push(output);
            const ran = await page.evaluate(async () => {
                document.head.append(Object.assign(document.createElement('script'), { textContent: 'window.ran = "inline script"' }));
                setTimeout('window.ran = "string timer"');
                await new Promise((resolve) => setTimeout(resolve, 50));
                return window.ran ?? 'nothing';
            });
            assert.equal(ran, 'nothing', url);
            assert.deepEqual(errors.splice(0).map((error) => error.includes('Content Security Policy')), [true, true], url);
        });
    }
    assert.equal(outputs[1], outputs[0]);
});

test('Tab follows the keyboard order through what is shown, the menu bar first, and selects a box\'s text; Enter in a size box presses OK, in a cell moves on', async () => {
    const { keyboardOrder } = await coreLayouts(build);
    await withPage(browser, server.url, { script: 'type Text12 2\ntype Text13 3\n' }, async (page) => {
        const size = '[data-window="Form4"] [data-name="Text12"]';
        const lastCell = '[data-window="Form4"] [data-name="mat1(19)"]';
        // Enter that commits an input method's conversion does not press OK.
        await page.$eval(size, (node) => node.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter', isComposing: true, bubbles: true })));
        assert.equal(await page.isVisible(lastCell), true);
        await page.focus(size);
        await page.keyboard.press('Enter');
        assert.equal(await page.isVisible(lastCell), false);
        const focused = () => page.evaluate(() => document.activeElement.dataset.name);
        const shown = await page.evaluate((order) => order.filter(
            (name) => document.querySelector(`[data-window="Form4"] [data-name="${name}"]`).checkVisibility()), keyboardOrder);
        assert.equal(shown.length, 3 + 6 + 6);  // size and OK, a 2 x 3 table, the buttons shown and the text
        const visited = [];
        for (const _ of shown) {
            visited.push(await focused());
            await page.keyboard.press('Tab');
        }
        assert.deepEqual(visited, shown);
        // The menu bar is the first stop; Tab or Shift+Tab into a box selects its text, so that typing replaces it.
        await page.mouse.click(2, 2);  // the page's corner, before every window
        await page.keyboard.press('Tab');
        assert.equal(await focused(), 'owari');
        await page.focus(size);
        for (const [key, text] of [['Tab', '4'], ['Shift+Tab', '1']]) {
            await page.keyboard.press(key);
            await page.keyboard.type(text);
        }
        const { controls } = JSON.parse(await run(page, 'dump\n')).windows.Form4;
        assert.deepEqual([controls.Text12.text, controls.Text13.text], ['1', '4']);
        // The phone keyboard's Next (Enter) goes to the next cell shown, and from the last one on.
        for (const [from, to] of [['mat1(0)', 'mat1(1)'], ['mat1(2)', 'mat1(5)'], ['mat1(7)', 'Command7']]) {
            await page.focus(`[data-window="Form4"] [data-name="${from}"]`);
            await page.keyboard.press('Enter');
            assert.equal(await focused(), to, from);
        }
    });
});
