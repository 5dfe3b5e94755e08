// The browser edition on the students' own devices: the layout by width (phones, zoomed laptops,
// the desktop arrangement), texts held by their boxes, each step bringing its window into view,
// boxes modal and in reach, the keyboard, screen readers, a reload and an address that bring the
// table back, work done before the core loaded, offline use, and paper.
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { launch, run, serve, started, typicalRun, withPage } from './browser.mjs';
import { newPage } from './tomokari_web_script.mjs';

const site = join(process.env.TOMOKARI_WEB_BUILD, 'site');
// The steps in order, each with the window it brings into view: the picture for those that draw it.
const STEPS = [['Command7', 'Form3'], ['Command5', 'Figure'], ['Command3', 'Figure'], ['Command8', 'Figure']];
const TABLES = [
    // name, script, the steps it takes, lines of the texts on paper (null: not printed)
    ['2 x 2', typicalRun('click Command7'), STEPS, [20, 3, 6]],
    ['4 x 5, the longer captions', `type Text12 4\ntype Text13 5\nclick Command1\n${
        Array.from({ length: 20 }, (_, k) => `type mat1(${k}) ${10 + 3 * k}`).join('\n')}\n`, STEPS, null],
    // The test stops on the zero row: it draws nothing and shows its message in the expected values.
    ['2 x 2 of a zero row', 'type Text12 2\ntype Text13 2\nclick Command1\ntype mat1(0) 0\ntype mat1(1) 0\n', [STEPS[0], ['Command5', 'Form3']], null],
];
const SCREENS = [
    // name, device, context options, smallest text in CSS px and of several lines, what holds there besides each step's
    // window in view and no sideways scrolling: the windows stacked as cards, texts held by their
    // boxes and buttons in a fingertip's reach, the texts whole on paper
    ['a phone 390 px wide', 'phone', {}, [12, 11], ['cards', 'held']],
    ['a phone 360 px wide', 'phone', { viewport: { width: 360, height: 640 } }, [10, 10], ['cards', 'held']],
    ['a laptop zoomed to 200 %', 'laptop', { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 }, [11, 11], ['cards', 'held']],
    ['a laptop zoomed to 400 %', 'laptop', { viewport: { width: 320, height: 200 }, deviceScaleFactor: 4 }, [10, 10], ['cards']],
    ['a laptop', 'laptop', {}, [10, 10], ['held', 'paper']],
];

let browser;
let server;
const seen = [];
before(async () => { [browser, server] = await Promise.all([launch(), serve(site, 0, (path) => seen.push(path))]); });
after(() => Promise.all([browser.close(), server.close()]));

const onPage = (setup, check) => withPage(browser, server.url, setup, check);
const dumpOf = async (page) => JSON.parse(await run(page, 'dump\n'));

// --- Layout by width ----------------------------------------------------------------------

// The page's scroll width, the windows' places, each text's font size, the boxes whose text runs
// out of them; for paper also how many menus and buttons are shown and each text area's whole text.
const layoutOf = () => {
    const shown = [...document.querySelectorAll('section.panel [data-name]')].filter((node) => node.checkVisibility());
    const outside = (inner, outer) => inner.left < outer.left - 1 || inner.right > outer.right + 1 || inner.top < outer.top - 1 || inner.bottom > outer.bottom + 1;
    return {
        width: innerWidth, scrollWidth: document.documentElement.scrollWidth,
        panels: [...document.querySelectorAll('section.panel')].filter((panel) => !panel.hidden).map((panel) => panel.getBoundingClientRect().toJSON()),
        // The smallest text, and the smallest of the captions and boxes of several lines (buttons, the
        // grids' headings and boxes); the picture's texts scale with it.
        smallest: [false, true].map((lines) => shown.filter((node) => !['line', 'frame', 'menu', 'item', 'command', 'picture'].includes(node.dataset.kind)
            && node.textContent.trim() && node.matches('button.button, .label.align-right-top, .display, .margin') === lines)
            .map((node) => [node.dataset.name, parseFloat(getComputedStyle(node).fontSize)]).reduce((a, b) => (b[1] < a[1] ? b : a), ['', Infinity])),
        spilling: shown.filter((node) => !['textarea', 'frame', 'line'].includes(node.dataset.kind)).filter((node) => {
            if (['TEXTAREA', 'INPUT'].includes(node.tagName) || node.dataset.kind === 'input') {
                return node.scrollWidth > node.clientWidth + 1 || node.scrollHeight > node.clientHeight + 1;
            }
            const text = document.createRange();
            text.selectNodeContents(node);
            return outside(text.getBoundingClientRect(), node.getBoundingClientRect());
        }).map((node) => node.dataset.name),
        buttons: [...document.querySelectorAll('.menu-bar, button')].filter((node) => node.checkVisibility()).length,
        whole: [...document.querySelectorAll('.print-text')].map((text) => ({
            lines: text.textContent.split('\n').length, fits: text.scrollHeight <= text.clientHeight + 1,
            below: [...text.closest('.client').querySelectorAll(':scope > .control')]
                .filter((node) => node.checkVisibility() && node.getBoundingClientRect().top > text.getBoundingClientRect().top + 5)
                .every((node) => node.getBoundingClientRect().top >= text.getBoundingClientRect().bottom - 1 || node.contains(text)),
        })),
    };
};

// The step's window, or the main window's report frame, within the screen's height.
const inView = (page, window) => page.evaluate((name) => {
    const panel = document.querySelector(`section.panel[data-window="${name}"]`);
    const box = panel.querySelector(name === 'Form4' ? '[data-name="Frame1"]' : '.title-bar').getBoundingClientRect();
    return box.height > 0 && box.top >= -1 && box.bottom <= innerHeight + 1;
}, window);

// The buttons, menu titles and items, title bar buttons whose fingertip's 24 px square around
// the middle lands beside them.
const smallTargets = () => [...document.querySelectorAll('section.panel button')].filter((node) => {
    const menu = node.dataset.kind === 'item' ? node.closest('.menu-group') : null;
    menu?.classList.add('open');
    const shown = node.checkVisibility();
    if (shown) node.scrollIntoView({ block: 'center', behavior: 'instant' });
    const { left, top, width, height } = node.getBoundingClientRect();
    const missed = shown && [[-1, -1], [1, -1], [-1, 1], [1, 1]].some(([dx, dy]) =>
        !node.contains(document.elementFromPoint(left + width / 2 + 11.5 * dx, top + height / 2 + 11.5 * dy)));
    menu?.classList.remove('open');
    return missed;
}).map((node) => node.dataset.name ?? node.className);

test('on every screen each step brings its window into view, the windows stack as cards where the desktop does not fit, '
    + 'texts are readable and held by their boxes, buttons in a fingertip\'s reach, and on paper every text is whole', async (t) => {
    for (const [name, device, options, floor, checks] of SCREENS) {
        for (const [table, script, steps, printed] of TABLES) {
            await t.test(`${name}, ${table}`, () => onPage({ device, options, script }, async (page) => {
                for (const [button, window] of steps) {
                    // The runner clicks a laptop's screen where the button is: the student scrolls to it first.
                    await page.locator(`[data-name="${button}"]`).scrollIntoViewIfNeeded();
                    await run(page, `click ${button}\n`, device === 'phone');
                    assert.ok(await inView(page, window), `${button}: ${window} is out of view`);
                }
                const layout = await page.evaluate(layoutOf);
                assert.ok(layout.scrollWidth <= layout.width, 'scrolls sideways');
                layout.smallest.forEach(([node, size], lines) => assert.ok(size >= floor[lines] - 0.01, `${node} has ${size} px text`));
                if (checks.includes('cards')) {
                    assert.ok(layout.panels.every((panel, i) => panel.left === 0 && panel.width === layout.width
                        && (i === 0 || panel.top > layout.panels[i - 1].top)), `cards not one under another: ${JSON.stringify(layout.panels)}`);
                }
                if (checks.includes('held')) {
                    assert.deepEqual(layout.spilling, []);
                    assert.deepEqual(await page.evaluate(smallTargets), []);
                }
                if (!checks.includes('paper') || !printed) return;
                await page.emulateMedia({ media: 'print' });
                await page.evaluate(() => dispatchEvent(new Event('beforeprint')));
                const paper = await page.evaluate(layoutOf);
                assert.deepEqual([paper.buttons, paper.whole.map((text) => text.lines)], [0, printed]);
                assert.ok(paper.panels.every((panel, i) => panel.width <= 680 && (i === 0 || panel.top >= paper.panels[i - 1].bottom)),
                    `windows too wide for A4 or one over another: ${JSON.stringify(paper.panels)}`);
                assert.ok(paper.whole.every((text) => text.fits && text.below), JSON.stringify(paper.whole));
            }));
        }
    }
});

// --- Boxes, keyboard and screen readers ---------------------------------------------------

test('on a phone a first tap selects a box\'s text; a question box is modal, on the visible screen with both buttons; Escape says いいえ, Enter はい', () =>
    onPage({ device: 'phone', script: typicalRun('click Command7') }, async (page) => {
        // The first tap on a box selects its text, so that what is typed replaces it; the next places the caret.
        const cell = '[data-name="mat1(0)"]';
        await page.tap(cell);
        await page.keyboard.insertText('30');
        await page.waitForTimeout(600);  // apart, or the two taps would be a double tap
        await page.tap(cell);
        assert.equal(await page.evaluate(() => document.getSelection().isCollapsed), true);
        for (const [key, kept] of [['Escape', '30'], ['Enter', '']]) {
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
            assert.deepEqual(box, { modal: true, inside: true, buttons: ['はい', 'いいえ'], focus: 'はい' }, key);
            // Behind the box nothing takes the keyboard.
            for (let n = 0; n < 3; ++n) await page.keyboard.press('Tab');
            assert.equal(await page.evaluate(() => document.activeElement.closest('dialog') !== null), true);
            await page.keyboard.press(key);
            await page.waitForSelector('dialog.dialog', { state: 'detached' });
            assert.equal((await dumpOf(page)).windows.Form4.controls['mat1(0)'].text, kept, key);
            assert.equal(await page.evaluate(() => document.activeElement.dataset.name), 'Command4', `${key}: the focus returns`);
        }
    }));

// The browser's own accessibility tree, as a screen reader gets it; what an ignored node holds
// counts as its parent's.
async function accessibilityTree(page) {
    const { nodes } = await (await page.context().newCDPSession(page)).send('Accessibility.getFullAXTree');
    const byId = new Map(nodes.map((node) => [node.nodeId, node]));
    const children = (node) => (node.childIds ?? []).map((id) => byId.get(id)).filter(Boolean);
    const kept = (node) => (node.ignored ? children(node).flatMap(kept) : [node]);
    const shape = (node) => ({ role: node.role?.value, name: node.name?.value ?? '', children: children(node).flatMap(kept).map(shape) });
    return shape(nodes[0]);
}

const find = (tree, role) => [...(tree.role === role ? [tree] : []), ...tree.children.flatMap((child) => find(child, role))];

test('by keyboard and screen reader: grids as tables, windows as regions, each result heard once; '
    + 'the menu bar, every window and its title bar buttons, Ctrl+C', () =>
    onPage({ script: typicalRun('click Command3') }, async (page) => {
        const announced = (text) => page.waitForFunction((t) => document.querySelector('[data-role="announcer"]').textContent === t, text);
        // A step that draws the picture also says the first line of its caption.
        const caption = (dump) => dump.windows.Figure.controls.Caption.text;
        const dump = await dumpOf(page);
        await announced(`${dump.windows.Form3.controls.Text11.text}\n${caption(dump).split('\n')[0]}`);
        const tree = await accessibilityTree(page);
        assert.deepEqual(find(tree, 'region').map((region) => region.name),
            ['トモカリ ポルテノ', 'χ2値計算用　各セル毎の期待値とχ2値', '「残差分析」　度数と期待値のズレの検定', 'χ2検定の図']);
        assert.deepEqual(find(find(tree, 'region')[3], 'image').map((image) => image.name), [caption(dump).replace(/\n/g, ' ')]);
        const tables = find(tree, 'table');
        assert.deepEqual(tables.map((table) => table.name), ['クロス表', '期待値とχ2値', '残差']);
        const grid = (table) => find(table, 'row').map((row) => row.children.map((cell) => `${cell.role}:${cell.name}`));
        assert.deepEqual(grid(tables[0]).map((row) => row.map((cell) => cell.split(':')[0])),
            [['cell', 'columnheader', 'columnheader', 'columnheader'], ...Array(3).fill(['rowheader', 'cell', 'cell', 'cell'])]);
        assert.deepEqual(grid(tables[0])[0].slice(1), ['columnheader:列1', 'columnheader:列2', 'columnheader:合計']);
        assert.deepEqual(grid(tables[2])[1][0], 'rowheader:行1 残差 標準化残差 調整済み残差');

        // Where the focus is; a menu is open exactly while the focus is on one of its items.
        const focused = () => page.evaluate(() => {
            const node = document.activeElement;
            if (document.querySelectorAll('.menu-group.open').length !== (node.closest('.menu-list') ? 1 : 0)) return 'a menu open or closed out of turn';
            return `${node.closest('section').dataset.window} ${node.dataset.name ?? node.className}`;
        });
        const keys = [
            // keys pressed, then where the focus is
            ['F10', 'Form4 owari'], ['ArrowLeft', 'Form4 kentei'], ['ArrowRight ArrowRight', 'Form4 setsumei'], ['ArrowDown', 'Form4 tsukaikata'],
            ['ArrowDown ArrowDown ArrowDown', 'Form4 tsukaikata'], ['ArrowUp', 'Form4 setsumei_modoru'], ['ArrowRight', 'Form4 tekigoudo'],
            ['Escape', 'Form4 hosoku'], ['Escape', 'Form4 Text11'], ['F10 ArrowRight Enter ArrowDown Enter', 'Form4 Text11'],
            ['Tab', 'Form4 close'], ['Tab', 'Form3 Text11'], ['Tab', 'Form3 close'], ['Tab', 'Form1 close'],
        ];
        await page.focus('section[data-window="Form4"] [data-name="Text11"]');
        for (const [pressed, focus] of keys) {
            for (const key of pressed.split(' ')) await page.keyboard.press(key);
            assert.equal(await focused(), focus, pressed);
        }
        // With the focus in the residuals window, Ctrl+C copies its table.
        await page.keyboard.press('Control+C');
        const copied = await page.evaluate(() => navigator.clipboard.readText());
        assert.match(copied, /^\t列 1\t列 2\n残差\t10\t-10\n/);
        const { clipboard, windows } = JSON.parse(await run(page, 'copy Form1\ndump\n'));
        assert.equal(clipboard, copied);
        // The keyboard's ・解　説 wrote what the menu item writes.
        assert.equal(windows.Form4.controls.Text11.text, JSON.parse(await run(page, 'menu setsumei_hyouji\ndump\n')).windows.Form4.controls.Text11.text);
        await run(page, 'click Command3\n');
        const after = await dumpOf(page);
        await announced(`${after.windows.Form4.controls.Text11.text.split('\n')[0]}\n${caption(after).split('\n')[0]}`);
    }));

// --- Nothing typed is lost ------------------------------------------------------------------

test('a reload and the back button bring back exactly what was there, but start afresh after the end; '
    + 'the address carries the table to another browser, the steps left to the student', async () => {
    const fresh = await onPage({ script: `${typicalRun('click Command3')}menu tekigoudo\ndump\n` }, async (page, before) => {
        assert.equal(new URL(page.url()).hash, '#r1=30,10&r2=10,30');
        for (const leave of [() => page.reload(), () => page.goto('about:blank').then(() => page.goBack())]) {
            await leave();
            assert.equal(await started(page), 'ready');
            assert.equal(await run(page, 'dump\n'), before);
        }
        await run(page, 'answer yes\nmenu owari\n');
        assert.equal(await page.evaluate(() => document.documentElement.dataset.state), 'ended');
        await page.reload();
        assert.equal(await started(page), 'ready');
        return dumpOf(page);
    });
    assert.equal(fresh.windows.Form4.controls.Text12.text, '4');
    const dump = JSON.parse(await withPage(browser, `${server.url}#r1=1%2C234,5&r2=,7`, { device: 'phone', script: 'dump\n' }, (page, output) => output));
    const texts = ['Text12', 'Text13', 'mat1(0)', 'mat1(1)', 'mat1(5)', 'mat1(6)'].map((name) => dump.windows.Form4.controls[name].text);
    assert.deepEqual(texts, ['2', '2', '1,234', '5', '', '7']);
    assert.equal(dump.windows.Form4.controls['mat1(2)'].visible, false);
    assert.equal(dump.windows.Form3.controls.Text11.text, fresh.windows.Form3.controls.Text11.text);
});

// Every element with its attributes (but where the windows stack) and value, and every text.
const pageState = () => [...document.body.querySelectorAll('*')].map((node) =>
    `${node.cloneNode(false).outerHTML.replace(/ style="[^"]*"/, '')}${node.value ?? ''}`).join('\n') + document.body.textContent;

test('the first view written into the page is the core\'s first state as the page shows it', () => onPage({}, async (page) => {
    const written = await page.evaluate(pageState);
    await page.evaluate(() => tomokari.render(tomokari.view()));
    assert.equal(await page.evaluate(pageState), written);
}));

test('what a student does before the core has loaded is kept', async () => {
    const page = await newPage(browser);
    let release;
    const held = new Promise((resolve) => { release = resolve; });
    await page.route('**/tomokari-core.wasm', (route) => held.then(() => route.continue()));
    await page.goto(server.url);
    for (const [box, text] of [['Text12', '2'], ['mat1(0)', '9']]) {
        await page.click(`[data-name="${box}"]`);
        await page.keyboard.press('Control+A');
        await page.keyboard.insertText(text);
        if (box === 'Text12') await page.keyboard.press('Enter');
    }
    assert.equal(await page.evaluate(() => document.documentElement.dataset.state), undefined);
    release();
    assert.equal(await started(page), 'ready');
    const { controls } = (await dumpOf(page)).windows.Form4;
    assert.deepEqual([controls.Text12.text, controls['mat1(0)'].text], ['2', '9']);
    assert.equal(controls['mat1(10)'].visible, false);  // the size was confirmed: 2 x 5
    await page.context().close();
});

// --- Offline --------------------------------------------------------------------------------

test('the service worker keeps every file of the site but the icons that only installing it fetches: after the first visit '
    + 'the site starts offline, and a repeat visit asks the server for nothing but the update check', async () => {
    const files = JSON.parse(/const FILES = (.*);/.exec(readFileSync(join(site, 'sw.js'), 'utf8'))[1]);
    const all = readdirSync(site, { recursive: true, withFileTypes: true }).filter((entry) => entry.isFile())
        .map((entry) => join(entry.path ?? entry.parentPath, entry.name).slice(site.length + 1))
        .filter((file) => file !== 'sw.js' && !file.startsWith('icons/'));
    assert.deepEqual(files.slice(1).sort(), all.sort());
    await onPage({ device: 'phone' }, async (page) => {
        await page.waitForFunction(() => navigator.serviceWorker.controller);
        seen.length = 0;
        const again = await page.context().newPage();
        await again.goto(server.url);
        assert.equal(await started(again), 'ready');
        assert.deepEqual(seen.filter((path) => path !== '/sw.js'), []);
        await page.context().setOffline(true);
        await again.reload();
        assert.equal(await started(again), 'ready');
        const dump = JSON.parse(await run(again, `${typicalRun('click Command3')}dump\n`));
        assert.match(dump.windows.Form3.controls.Text11.text, /χ2=  20\*\*\*/);
    });
});
