// The browser edition on the students' own devices: the layout by width (phones, zoomed laptops,
// the desktop arrangement), each step bringing its window into view, boxes that are modal and in
// reach, the menu bar and windows by keyboard, the grids and results for screen readers, a reload
// and an address that bring the table back, offline use, and paper.
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { coreLayouts, launch, serve, started } from './browser.mjs';
import { open, play } from './tomokari_web_script.mjs';

const build = process.env.TOMOKARI_WEB_BUILD;
const site = join(build, 'site');
const EXAMPLE = 'type Text12 2\ntype Text13 2\nclick Command1\ntype mat1(0) 30\ntype mat1(1) 10\ntype mat1(5) 10\ntype mat1(6) 30\n';
const STEPS = `${EXAMPLE}click Command7\nclick Command5\nclick Command3\nclick Command8\n`;

let browser;
let server;
const seen = [];
before(async () => {
    browser = await launch();
    server = await serve(site, 0, (path) => seen.push(path));
});
after(async () => {
    await browser.close();
    await server.close();
});

// A page on the device, started; closing it closes its context.
async function pageOn(device, options = {}, url = server.url) {
    const { page, state } = await open(browser, url, device, { reducedMotion: 'reduce', ...options });
    assert.equal(state, 'ready');
    return page;
}

const dumpOf = async (page) => JSON.parse((await play(page, 'dump\n')).output);

// --- Layout by width ----------------------------------------------------------------------

const SCREENS = [
    // name, device, context options, stacked, smallest text in CSS px
    ['a phone 390 px wide', 'phone', {}, true, 11],
    ['a phone 360 px wide', 'phone', { viewport: { width: 360, height: 640 } }, true, 10],
    ['a laptop zoomed to 200 %', 'laptop', { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 }, true, 11],
    ['a laptop zoomed to 400 %', 'laptop', { viewport: { width: 320, height: 200 }, deviceScaleFactor: 4 }, true, 10],
    ['a laptop', 'laptop', {}, false, 10],
];

test('the windows stack as cards where the desktop does not fit: no sideways scrolling, no text too small', async () => {
    const cellText = {};
    for (const [name, device, options, stacked, floor] of SCREENS) {
        const page = await pageOn(device, options);
        await play(page, `${STEPS}`, device === 'phone');
        const seenLayout = await page.evaluate(() => {
            const panels = [...document.querySelectorAll('section.panel')].filter((panel) => !panel.hidden);
            const texts = [...document.querySelectorAll('section.panel [data-name]')]
                .filter((node) => node.checkVisibility() && !['line', 'frame', 'menu', 'item', 'command'].includes(node.dataset.kind) && node.textContent.trim())
                .map((node) => [node.dataset.name, parseFloat(getComputedStyle(node).fontSize)]);
            return {
                width: innerWidth, scrollWidth: document.documentElement.scrollWidth,
                panels: panels.map((panel) => panel.getBoundingClientRect().toJSON()),
                smallest: texts.reduce((a, b) => (b[1] < a[1] ? b : a)),
                cell: parseFloat(getComputedStyle(document.querySelector('[data-name="mat1(0)"]')).fontSize) * devicePixelRatio,
            };
        });
        assert.ok(seenLayout.scrollWidth <= seenLayout.width, `${name}: scrolls sideways`);
        assert.ok(seenLayout.smallest[1] >= floor - 0.01, `${name}: ${seenLayout.smallest[0]} has ${seenLayout.smallest[1]} px text`);
        for (const panel of seenLayout.panels) {
            if (stacked) assert.ok(panel.left === 0 && panel.width === seenLayout.width, `${name}: a card is not the screen's width`);
        }
        // One under another, or side by side on the desktop: never one over another's title.
        const tops = seenLayout.panels.map((panel) => panel.top);
        if (stacked) assert.deepEqual(tops, [...tops].sort((a, b) => a - b), `${name}: cards out of order`);
        cellText[name] = seenLayout.cell;
        await page.context().close();
    }
    // Zooming in keeps making the text larger on the screen.
    assert.ok(cellText['a laptop zoomed to 200 %'] > cellText['a laptop'], 'text grows at 200 %');
    assert.ok(cellText['a laptop zoomed to 400 %'] > cellText['a laptop zoomed to 200 %'], 'text grows at 400 %');
});

test('at 1280 x 800 every window and control stands at its desktop place', async () => {
    const page = await pageOn('laptop');
    await play(page, STEPS);
    const px = (twips) => Math.round(twips / 15);
    // A window's client area 8 px from the page's corner, inside a 2 px border, a 22 px title bar
    // and, for the main window, a 22 px menu bar; a control from its client area's or frame's corner.
    const expected = (await coreLayouts(build)).windows.map((window) => ({
        name: window.name, client: [10 + px(window.client.left), 54 + px(window.client.top)],
        controls: window.controls.filter((c) => !['menu', 'item', 'command'].includes(c.kind)).map((c) => ({
            name: c.name, parent: c.parent,
            rect: [px(c.rect.left), px(c.rect.top), c.rect.width ? px(c.rect.width) : 1, c.rect.height ? px(c.rect.height) : 1],
        })),
    }));
    const misplaced = await page.evaluate((windows) => windows.flatMap((window) => {
        const panel = document.querySelector(`section.panel[data-window="${window.name}"]`);
        const client = panel.querySelector('.client').getBoundingClientRect();
        const wrong = client.left === window.client[0] && client.top === window.client[1] ? [] : [`${window.name} ${client.left},${client.top}`];
        for (const control of window.controls) {
            const node = panel.querySelector(`[data-name="${control.name}"]`);
            if (!node.checkVisibility()) continue;
            const origin = control.parent ? panel.querySelector(`[data-name="${control.parent}"]`).getBoundingClientRect() : client;
            const box = node.getBoundingClientRect();
            const seen = [box.left - origin.left, box.top - origin.top, box.width, box.height].map(Math.round);
            // Inside a frame the browser starts below the frame's caption: the top is its own.
            if (control.parent) seen[1] = control.rect[1];
            if (seen.join() !== control.rect.join()) wrong.push(`${window.name}.${control.name} ${seen} instead of ${control.rect}`);
        }
        return wrong;
    }), expected);
    assert.deepEqual(misplaced, []);
    await page.context().close();
});

test('touch targets are 24 px at least: buttons, menu titles and items, the title bar buttons', async () => {
    for (const device of ['phone', 'laptop']) {
        const page = await pageOn(device);
        await play(page, STEPS, device === 'phone');
        // A fingertip's 24 px square around each target's middle lands on the target itself.
        const small = await page.evaluate(() => {
            const missed = [];
            const check = (node, label) => {
                const box = node.getBoundingClientRect();
                const [x, y] = [box.left + box.width / 2, box.top + box.height / 2];
                for (const [dx, dy] of [[-11.5, -11.5], [11.5, -11.5], [-11.5, 11.5], [11.5, 11.5]]) {
                    const hit = document.elementFromPoint(x + dx, y + dy);
                    if (!hit || !(node === hit || node.contains(hit))) return missed.push(label);
                }
                return null;
            };
            for (const node of document.querySelectorAll('section.panel button')) {
                const menu = node.dataset.kind === 'item' ? node.closest('.menu-group') : null;
                menu?.classList.add('open');
                if (node.checkVisibility()) {
                    node.scrollIntoView({ block: 'center', behavior: 'instant' });
                    check(node, node.dataset.name ?? node.className);
                }
                menu?.classList.remove('open');
            }
            return missed;
        });
        assert.deepEqual(small, [], device);
        await page.context().close();
    }
});

// --- Each step brings its window into view ------------------------------------------------

const IN_VIEW = [
    // what the student does, then the window that must be in view
    [`${EXAMPLE}click Command7\n`, 'Form3'],
    [`${EXAMPLE}click Command7\nclick Command5\n`, 'Form3'],
    [`${EXAMPLE}click Command7\nclick Command5\nclick Command3\n`, 'Form1'],
    ['type Text12 2\ntype Text13 2\nclick Command1\ntype mat1(0) 0\ntype mat1(1) 0\nclick Command7\nclick Command5\n', 'Form3'],
    [`${EXAMPLE}click Command7\nclick Command5\nclick Command3\nclick Command8\n`, 'Form4'],
];

test('on a phone each step brings the window it showed or wrote into view', async () => {
    for (const [script, window] of IN_VIEW) {
        const page = await pageOn('phone');
        await play(page, script, true);
        const where = await page.evaluate((name) => {
            const panel = document.querySelector(`section.panel[data-window="${name}"]`);
            const target = name === 'Form4' ? panel.querySelector('[data-name="Frame1"]') : panel.querySelector('.title-bar');
            const box = target.getBoundingClientRect();
            return { top: box.top, bottom: box.bottom, height: innerHeight };
        }, window);
        assert.ok(where.top >= -1 && where.bottom <= where.height + 1, `${script.split('\n').at(-2)}: ${window} is out of view (${where.top})`);
        await page.context().close();
    }
});

// --- Boxes ----------------------------------------------------------------------------------

test('on a phone a question box is modal, on the visible screen with both buttons; Enter says はい, Escape いいえ', async () => {
    for (const [key, kept] of [['Escape', '30'], ['Enter', '']]) {
        const page = await pageOn('phone');
        await play(page, EXAMPLE, true);
        await page.tap('[data-name="Command4"]');
        await page.waitForSelector('dialog.dialog[open]');
        const box = await page.evaluate(() => {
            const dialog = document.querySelector('dialog.dialog');
            const inside = (node) => {
                const r = node.getBoundingClientRect();
                return r.left >= 0 && r.top >= 0 && r.right <= visualViewport.width && r.bottom <= visualViewport.height;
            };
            return { modal: dialog.matches(':modal'), inside: [dialog, ...dialog.querySelectorAll('button')].every(inside),
                buttons: [...dialog.querySelectorAll('button')].map((b) => b.textContent), focus: document.activeElement.textContent };
        });
        assert.deepEqual(box, { modal: true, inside: true, buttons: ['はい', 'いいえ'], focus: 'はい' });
        // Behind the box nothing takes the keyboard.
        for (let n = 0; n < 3; ++n) await page.keyboard.press('Tab');
        assert.equal(await page.evaluate(() => document.activeElement.closest('dialog') !== null), true);
        await page.keyboard.press(key);
        await page.waitForSelector('dialog.dialog', { state: 'detached' });
        const dump = await dumpOf(page);
        assert.equal(dump.windows.Form4.controls['mat1(0)'].text, kept, key);
        assert.equal(await page.evaluate(() => document.activeElement.dataset.name), 'Command4', `${key}: the focus returns`);
        await page.context().close();
    }
});

// --- Keyboard ---------------------------------------------------------------------------------

test('the menu bar by keyboard: F10, arrows between and within menus, Enter chooses, Escape closes', async () => {
    const page = await pageOn('laptop');
    await play(page, EXAMPLE);
    const focused = () => page.evaluate(() => document.activeElement.dataset.name ?? document.activeElement.className);
    const keys = async (...names) => {
        for (const name of names) await page.keyboard.press(name);
        return focused();
    };
    await page.focus('[data-name="mat1(1)"]');
    assert.equal(await keys('F10'), 'owari');
    assert.equal(await keys('ArrowLeft'), 'kentei');
    assert.equal(await keys('ArrowRight', 'ArrowRight'), 'setsumei');
    assert.equal(await keys('ArrowDown'), 'tsukaikata');
    assert.equal(await keys('ArrowDown', 'ArrowDown', 'ArrowDown'), 'tsukaikata');
    assert.equal(await keys('ArrowUp'), 'setsumei_modoru');
    assert.equal(await keys('ArrowRight'), 'tekigoudo');
    assert.equal(await keys('Escape'), 'hosoku');
    assert.equal(await page.evaluate(() => document.querySelectorAll('.menu-group.open').length), 0);
    assert.equal(await keys('Escape'), 'mat1(1)');
    assert.equal(await keys('F10', 'ArrowRight', 'Enter', 'ArrowDown', 'Enter'), 'mat1(1)');  // ・解　説
    const about = await pageOn('laptop');
    assert.equal((await dumpOf(page)).windows.Form4.controls.Text11.text,
        JSON.parse((await play(about, 'menu setsumei_hyouji\ndump\n')).output).windows.Form4.controls.Text11.text);
    await about.context().close();
    assert.equal(await page.evaluate(() => document.querySelectorAll('.menu-group.open').length), 0);
    await page.context().close();
});

test('every window and its title bar buttons take the keyboard; the focus ring stands clear of captions', async () => {
    const page = await pageOn('laptop');
    await play(page, `${EXAMPLE}click Command7\nclick Command5\n`);
    await page.focus('section[data-window="Form4"] [data-name="Text11"]');
    const visited = [];
    for (let n = 0; n < 5; ++n) {
        await page.keyboard.press('Tab');
        visited.push(await page.evaluate(() => {
            const node = document.activeElement;
            return `${node.closest('section').dataset.window} ${node.dataset.name ?? node.className}`;
        }));
    }
    assert.deepEqual(visited, ['Form4 owari', 'Form4 close', 'Form3 Text11', 'Form3 close', 'Form1 close']);
    // With the focus in the residuals window, Ctrl+C copies its table.
    await page.focus('section[data-window="Form1"] .close');
    await page.keyboard.press('Control+C');
    const copied = await page.evaluate(() => navigator.clipboard.readText());
    assert.match(copied, /^\t列 1\t列 2\n残差\t10\t-10\n/);
    assert.equal(JSON.parse((await play(page, 'copy Form1\ndump\n')).output).clipboard, copied);
    await page.focus('[data-name="Command7"]');
    await page.keyboard.press('Shift+Tab');
    await page.keyboard.press('Tab');
    const ring = await page.evaluate(() => {
        const style = getComputedStyle(document.activeElement);
        return [parseFloat(style.outlineWidth), parseFloat(style.outlineOffset)];
    });
    assert.ok(ring[0] >= 2 && ring[1] >= 0, `ring ${ring}`);
    await page.context().close();
});

// --- Screen readers -------------------------------------------------------------------------

// The browser's own accessibility tree, as a screen reader gets it.
async function accessibilityTree(page) {
    const session = await page.context().newCDPSession(page);
    const { nodes } = await session.send('Accessibility.getFullAXTree');
    const byId = new Map(nodes.map((node) => [node.nodeId, node]));
    // What an ignored node holds counts as its parent's.
    const kept = (node) => (node.ignored ? (node.childIds ?? []).map((id) => byId.get(id)).filter(Boolean).flatMap(kept) : [node]);
    const shape = (node) => ({
        role: node.role?.value, name: node.name?.value ?? '',
        children: (node.childIds ?? []).map((id) => byId.get(id)).filter(Boolean).flatMap(kept).map(shape),
    });
    return shape(nodes[0]);
}

function find(tree, role, found = []) {
    if (tree.role === role) found.push(tree);
    for (const child of tree.children) find(child, role, found);
    return found;
}

test('a screen reader hears each grid as a table with its headings, each window as a region, each step result once', async () => {
    const page = await pageOn('laptop');
    const announced = (text) => page.waitForFunction((t) => document.querySelector('[data-role="announcer"]').textContent === t, text);
    await play(page, `${EXAMPLE}click Command7\nclick Command5\n`);
    await announced((await dumpOf(page)).windows.Form3.controls.Text11.text);
    const tree = await accessibilityTree(page);
    assert.deepEqual(find(tree, 'region').map((region) => region.name),
        ['トモカリ ポルテノ', 'χ2値計算用　各セル毎の期待値とχ2値', '「残差分析」　度数と期待値のズレの検定']);
    const tables = find(tree, 'table');
    assert.deepEqual(tables.map((table) => table.name), ['クロス表', '期待値とχ2値', '残差']);
    const grid = (table) => find(table, 'row').map((row) => row.children.map((cell) => `${cell.role}:${cell.name}`));
    assert.deepEqual(grid(tables[0]).map((row) => row.map((cell) => cell.split(':')[0])), [
        ['cell', 'columnheader', 'columnheader', 'columnheader'],
        ['rowheader', 'cell', 'cell', 'cell'], ['rowheader', 'cell', 'cell', 'cell'],
        ['rowheader', 'cell', 'cell', 'cell']]);
    assert.deepEqual(grid(tables[0])[0].slice(1), ['columnheader:列1', 'columnheader:列2', 'columnheader:合計']);
    assert.deepEqual(grid(tables[2])[1][0], 'rowheader:行1 残差 標準化残差 調整済み残差');
    await play(page, 'click Command3\n');
    await announced((await dumpOf(page)).windows.Form4.controls.Text11.text.split('\n')[0]);
    await page.context().close();
});

// --- Nothing typed is lost ------------------------------------------------------------------

test('a reload brings back exactly what was there; the address carries the table to another browser', async () => {
    const page = await pageOn('laptop');
    const before = (await play(page, `${EXAMPLE}click Command7\nclick Command5\nmenu tekigoudo\ndump\n`)).output;
    assert.equal(new URL(page.url()).hash, '#r1=30,10&r2=10,30');
    await page.reload();
    assert.equal(await started(page), 'ready');
    assert.equal((await play(page, 'dump\n')).output, before);
    // Away and back with the browser's back button: the same again.
    await page.goto('about:blank');
    await page.goBack();
    assert.equal(await started(page), 'ready');
    assert.equal((await play(page, 'dump\n')).output, before);
    await page.context().close();

    // Another browser: the table typed in and its size confirmed, the steps left to the student.
    const other = await pageOn('phone', {}, `${server.url}#r1=1%2C234,5&r2=,7`);
    const dump = await dumpOf(other);
    const texts = Object.fromEntries(Object.entries(dump.windows.Form4.controls).map(([name, c]) => [name, c.text]));
    assert.deepEqual([texts.Text12, texts.Text13, texts['mat1(0)'], texts['mat1(1)'], texts['mat1(5)'], texts['mat1(6)']],
        ['2', '2', '1,234', '5', '', '7']);
    assert.equal(dump.windows.Form4.controls['mat1(2)'].visible, false);
    const fresh = await pageOn('laptop');
    assert.equal(dump.windows.Form3.controls.Text11.text, (await dumpOf(fresh)).windows.Form3.controls.Text11.text);
    await fresh.context().close();
    await other.context().close();
});

test('after the program has ended a reload starts it afresh', async () => {
    const page = await pageOn('laptop');
    await play(page, `${EXAMPLE}answer yes\nmenu owari\n`);
    assert.equal(await page.evaluate(() => document.documentElement.dataset.state), 'ended');
    await page.reload();
    assert.equal(await started(page), 'ready');
    assert.equal((await dumpOf(page)).windows.Form4.controls.Text12.text, '4');
    await page.context().close();
});

test('what a student does before the core has loaded is kept', async () => {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    let release;
    const held = new Promise((resolve) => { release = resolve; });
    await page.route('**/tomokari-core.wasm', async (route) => {
        await held;
        await route.continue();
    });
    await page.goto(server.url);
    await page.click('[data-name="Text12"]');
    await page.keyboard.press('Control+A');
    await page.keyboard.insertText('2');
    await page.keyboard.press('Enter');
    await page.click('[data-name="mat1(0)"]');
    await page.keyboard.press('Control+A');
    await page.keyboard.insertText('9');
    assert.equal(await page.evaluate(() => document.documentElement.dataset.state), undefined);
    release();
    assert.equal(await started(page), 'ready');
    const dump = await dumpOf(page);
    assert.equal(dump.windows.Form4.controls.Text12.text, '2');
    assert.equal(dump.windows.Form4.controls['mat1(0)'].text, '9');
    assert.equal(dump.windows.Form4.controls['mat1(10)'].visible, false);  // the size was confirmed: 2 x 5
    await context.close();
});

// --- Installable and offline ----------------------------------------------------------------

const pngSize = (file) => {
    const bytes = readFileSync(join(site, file));
    return `${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}`;
};

test('installable: a manifest with its icons, and a service worker that keeps every file of the site', async () => {
    const manifest = JSON.parse(readFileSync(join(site, 'manifest.webmanifest'), 'utf8'));
    assert.equal(manifest.display, 'standalone');
    assert.equal(manifest.start_url, './');
    assert.ok(manifest.name && manifest.short_name && manifest.theme_color);
    for (const icon of manifest.icons) assert.equal(pngSize(icon.src), icon.sizes, icon.src);
    assert.deepEqual(manifest.icons.map((icon) => `${icon.sizes} ${icon.purpose}`), ['192x192 any', '512x512 any', '512x512 maskable']);
    const html = readFileSync(join(site, 'index.html'), 'utf8');
    assert.match(html, /<link rel="manifest" href="manifest.webmanifest">/);
    assert.equal(pngSize(/<link rel="apple-touch-icon" href="([^"]+)">/.exec(html)[1]), '180x180');
    const worker = readFileSync(join(site, 'sw.js'), 'utf8');
    const files = JSON.parse(/const FILES = (.*);/.exec(worker)[1]);
    const all = readdirSync(site, { recursive: true, withFileTypes: true }).filter((entry) => entry.isFile())
        .map((entry) => join(entry.path ?? entry.parentPath, entry.name).slice(site.length + 1)).filter((file) => file !== 'sw.js');
    assert.deepEqual(files.slice(1).sort(), all.sort());
    assert.match(/const VERSION = '(.*)';/.exec(worker)[1], /^[0-9a-f]{16}$/);
});

test('after the first visit the site starts offline, and a repeat visit asks the server for nothing but the update check', async () => {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    await page.goto(server.url);
    assert.equal(await started(page), 'ready');
    await page.evaluate(() => new Promise((resolve) => {
        if (navigator.serviceWorker.controller) resolve();
        else navigator.serviceWorker.addEventListener('controllerchange', resolve);
    }));
    seen.length = 0;
    const again = await context.newPage();
    await again.goto(server.url);
    assert.equal(await started(again), 'ready');
    assert.deepEqual(seen.filter((path) => path !== '/sw.js'), []);
    await context.setOffline(true);
    await again.reload();
    assert.equal(await started(again), 'ready');
    const dump = JSON.parse((await play(again, `${EXAMPLE}click Command7\nclick Command5\ndump\n`)).output);
    assert.match(dump.windows.Form3.controls.Text11.text, /χ2=  20\*\*\*/);
    await context.close();
});

// --- Paper ----------------------------------------------------------------------------------

test('printed: no menus or buttons, the windows one under another within A4, every text whole', async () => {
    const page = await pageOn('laptop');
    await play(page, STEPS);
    await page.emulateMedia({ media: 'print' });
    await page.evaluate(() => dispatchEvent(new Event('beforeprint')));
    const paper = await page.evaluate(() => {
        const panels = [...document.querySelectorAll('section.panel')].filter((panel) => !panel.hidden).map((panel) => panel.getBoundingClientRect());
        const shown = [...document.querySelectorAll('.menu-bar, button')].filter((node) => node.checkVisibility()).length;
        const whole = [...document.querySelectorAll('.print-text')].map((text) => ({
            lines: text.textContent.split('\n').length, fits: text.scrollHeight <= text.clientHeight + 1,
            below: [...text.closest('.client').querySelectorAll(':scope > .control')]
                .filter((node) => node.checkVisibility() && node.getBoundingClientRect().top > text.getBoundingClientRect().top + 5)
                .every((node) => node.getBoundingClientRect().top >= text.getBoundingClientRect().bottom - 1 || node.contains(text)),
        }));
        return { panels, shown, whole };
    });
    assert.equal(paper.shown, 0);
    for (const [i, panel] of paper.panels.entries()) {
        assert.ok(panel.width <= 680, `a window ${panel.width} px wide`);
        if (i) assert.ok(panel.top >= paper.panels[i - 1].bottom, 'windows overlap');
    }
    assert.deepEqual(paper.whole.map((text) => text.lines), [20, 3]);
    assert.ok(paper.whole.every((text) => text.fits && text.below), JSON.stringify(paper.whole));
    await page.evaluate(() => dispatchEvent(new Event('afterprint')));
    await page.context().close();
});
