// The page's first view, written when the site is built: the four windows as HTML from the
// core's layouts and its state at start-up, and their geometry as a style sheet. A browser then
// paints the windows before any script has run; page.js brings them to life.

import { accessibleLabel } from './page.js';

const TWIPS_PER_PIXEL = 15;
const TITLE_BAR = 22;  // px, a panel's title bar on the desktop
const MENU_BAR = 22;   // px, the main panel's menu bar on the desktop
const MARGIN = 8;      // px around the desktop
const BORDER = 2;      // px, a panel's border on the desktop
const WINDOW_FONT = 9; // pt, the program's font where a window names none

export const px = (twips) => Math.round(twips / TWIPS_PER_PIXEL);

// The picture window stands beside the others where the screen has room, over them where not.
const FIGURE = 'Figure';

// Where the desktop arrangement of the other three windows fits: narrower, the windows stack as cards.
export function desktopWidth(layouts) {
    return 2 * MARGIN + 2 * BORDER + Math.max(...layouts.windows.filter(({ name }) => name !== FIGURE)
        .map(({ client }) => px(client.left) + px(client.width)));
}

// A carriage return as a reference: the parser would read a bare one as a line feed.
const escape = (text) => text.replace(/[&<>"\r]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', '\r': '&#13;' })[c]);

function attributeList(attributes) {
    return Object.entries(attributes)
        .filter(([, value]) => value !== undefined && value !== false)
        .map(([key, value]) => (value === true ? ` ${key}` : ` ${key}="${escape(String(value))}"`))
        .join('');
}

const tag = (name, attributes, content = '') => `<${name}${attributeList(attributes)}>${content}</${name}>`;

// An id for a control that the screen-reader tables refer to. Input boxes are editable text, so
// that a box holds every character it is given (a carriage return too), as the desktop's boxes do.
export const controlId = (window, name) => `${window}-${name}`;

function controlMarkup(window, control, state, children = '') {
    const { name, kind } = control;
    const text = state.text ?? '';
    const attributes = {
        class: `control ${kind} align-${control.alignment}`, 'data-name': name, 'data-kind': kind,
        id: controlId(window, name), hidden: !state.visible,
        'aria-label': kind === 'line' ? undefined : accessibleLabel(kind, text, state.spoken) ?? undefined,
    };
    if (kind === 'input') {
        const size = control.enter === 'ok';  // a size box: Enter confirms the size
        Object.assign(attributes, {
            'data-enter': control.enter, contenteditable: 'plaintext-only', role: 'textbox', tabindex: 0, 'aria-multiline': 'false',
            spellcheck: 'false', autocapitalize: 'off', autocorrect: 'off',
            inputmode: size ? 'numeric' : 'decimal', enterkeyhint: size ? 'go' : 'next',
        });
        return tag('div', attributes, escape(text));
    }
    if (kind === 'textarea') {
        // A line break right after the tag would be dropped by the parser: one more keeps the text whole.
        return tag('textarea', { ...attributes, readonly: true, spellcheck: 'false' }, `${text.startsWith('\n') ? '\n' : ''}${escape(text)}`);
    }
    if (kind === 'total') return `<input${attributeList({ ...attributes, readonly: true, tabindex: -1, value: text })}>`;
    if (kind === 'frame') return tag('fieldset', attributes, `<legend>${escape(text)}</legend>${children}`);
    if (kind === 'picture') return tag('div', { ...attributes, role: 'img', 'aria-label': state.spoken });
    if (kind === 'button') return tag('button', { ...attributes, type: 'button' }, escape(text));
    if (kind === 'menu' || kind === 'command' || kind === 'item') {
        const popup = kind === 'menu' ? { 'aria-haspopup': 'menu', 'aria-expanded': 'false' } : {};
        return tag('button', { ...attributes, type: 'button', role: 'menuitem', tabindex: -1, ...popup }, escape(text));
    }
    return tag('div', attributes, escape(text));
}

// Each grid as a table to assistive technology: the boxes keep their places on the screen and
// are gathered into rows by aria-owns, with the headings as header cells and 合計 for the totals.
// A cell, heading or row that mirrors a control is hidden with it.
function gridTable(window, layout, controls, label) {
    const has = (name) => controls.has(name);
    const columns = [...Array(5).keys()].filter((j) => has(`Retlab(${j})`));
    const rows = [...Array(4).keys()].filter((i) => has(`Gyolab(${i})`));
    const totals = controls.get('Ikei(0)').state.visible;
    const parts = [];
    const hidden = (mirror) => mirror !== undefined && !controls.get(mirror.slice(window.length + 1)).state.visible;
    const cell = (id, owned, role = 'cell', mirror = owned) => {
        parts.push(tag('div', { id, role, 'aria-owns': owned, 'data-mirror': mirror, hidden: hidden(mirror) }));
        return id;
    };
    const header = (id, text, role, mirror) => {
        parts.push(tag('div', { id, role, 'data-mirror': mirror, hidden: hidden(mirror) }, text));
        return id;
    };
    const ownedBox = (name) => {
        const kind = controls.get(name).layout.kind;
        const id = controlId(window, name);
        // Boxes that are text boxes sit in a cell of their own; the others are the cell.
        return kind === 'input' || kind === 'total' ? cell(`${id}-cell`, id) : id;
    };
    const row = (i, ids, mirror) => {
        parts.push(tag('div', { id: `${window}-row-${i}`, role: 'row', 'aria-owns': ids.join(' '), 'data-mirror': mirror, hidden: hidden(mirror) }));
        return `${window}-row-${i}`;
    };
    const rowIds = [];
    const headings = [header(`${window}-corner`, '', 'cell'),
        ...columns.map((j) => controlId(window, `Retlab(${j})`))];
    if (totals) headings.push(header(`${window}-total-column`, '合計', 'columnheader', controlId(window, 'Ikei(0)')));
    rowIds.push(row('head', headings));
    for (const i of rows) {
        const ids = [controlId(window, `Gyolab(${i})`), ...columns.map((j) => ownedBox(`mat1(${5 * i + j})`))];
        if (totals) ids.push(ownedBox(`Ikei(${i})`));
        rowIds.push(row(i, ids, controlId(window, `Gyolab(${i})`)));
    }
    if (totals) {
        const ids = [header(`${window}-total-row`, '合計', 'rowheader', controlId(window, 'Jkei(0)')),
            ...columns.map((j) => ownedBox(`Jkei(${j})`)), ownedBox('Text10')];
        rowIds.push(row('total', ids, controlId(window, 'Jkei(0)')));
    }
    return tag('div', { class: 'assistive' }, parts.join('')
        + tag('div', { role: 'table', 'aria-label': label, 'aria-owns': rowIds.join(' ') }));
}

const icon = (shapes) => `<svg viewBox="0 0 16 16" aria-hidden="true" focusable="false" fill="none" stroke="currentColor" stroke-width="1.6">${shapes}</svg>`;
// Two sheets, one over the other; an arrow down onto a tray, with the file's kind beside it.
const COPY_ICON = icon('<rect x="1.5" y="1.5" width="8.5" height="10" rx="1"/><rect x="6" y="4.5" width="8.5" height="10" rx="1"/>');
const SAVE_ICON = icon('<path d="M8 1.5v8M4.5 6.5 8 10l3.5-3.5M2 11.5v3h12v-3"/>');
const HEADING_ROLES = { Gyolab: 'rowheader', Retlab: 'columnheader' };

// The picture window carries the numbers that its picture draws, for the scripted runner.
function panelMarkup(layout, index, windowState, layouts, pictureValues) {
    const isMain = index === 0;
    const states = windowState.controls;
    const controls = new Map(layout.controls.map((c, i) => [c.name, { layout: c, state: states[i] }]));
    const markup = new Map();
    for (const [name, { layout: c, state }] of controls) {
        if (c.kind === 'menu' || c.kind === 'item' || c.kind === 'command') continue;
        let html = controlMarkup(layout.name, c, state, layout.controls.filter((child) => child.parent === name)
            .map((child) => controlMarkup(layout.name, child, controls.get(child.name).state)).join(''));
        const role = HEADING_ROLES[name.replace(/\(.*/, '')];
        if (role) html = html.replace('<div ', `<div role="${role}" `);
        if (['display', 'margin'].includes(c.kind)) html = html.replace('<div ', '<div role="cell" ');
        if (!c.parent) markup.set(name, html);
    }
    // The main window's keyboard order comes first in the document, so that Tab follows it.
    const order = isMain ? layouts.keyboardOrder.filter((name) => markup.has(name) && !controls.get(name).layout.parent) : [];
    const client = [...order, ...[...markup.keys()].filter((name) => !order.includes(name))]
        .map((name) => markup.get(name)).join('') + (layout.grid ? gridTable(layout.name, layout, controls, layout.grid) : '');

    let menuBar = '';
    if (isMain) {
        const groups = layout.controls.filter((c) => c.kind === 'menu' || c.kind === 'command').map((c) => {
            const items = layout.controls.filter((item) => item.parent === c.name)
                .map((item) => controlMarkup(layout.name, item, controls.get(item.name).state)).join('');
            const own = controlMarkup(layout.name, c, controls.get(c.name).state);
            return tag('div', { class: 'menu-group' }, own + (c.kind === 'menu' ? tag('div', { class: 'menu-list', role: 'menu', 'aria-label': controls.get(c.name).state.text }, items) : ''));
        });
        // The menu bar is one stop of the Tab order, on its first title (F10 reaches it too).
        menuBar = tag('div', { class: 'menu-bar', role: 'menubar', 'aria-label': layouts.texts.menuBar, 'aria-keyshortcuts': 'F10' },
            groups.join('').replace('tabindex="-1"', 'tabindex="0"'));
    }
    const button = (className, label, content) => tag('button', { type: 'button', class: className, 'aria-label': label, title: label }, content);
    const { texts } = layouts;
    const figure = layout.name === FIGURE;
    const titleBar = tag('div', { class: 'title-bar' }, tag('span', { class: 'title' }, escape(layout.title))
        + (figure ? button('save save-png', texts.savePng, `${SAVE_ICON}<span>PNG</span>`) + button('save save-svg', texts.saveSvg, `${SAVE_ICON}<span>SVG</span>`) : '')
        + button('copy', figure ? texts.copyFigure : texts.copy, COPY_ICON) + button('close', texts.close, '×'));
    return tag('section', {
        class: 'panel', 'data-window': layout.name, 'data-kind': 'window', 'aria-label': layout.title, tabindex: -1,
        hidden: !windowState.shown, 'data-values': figure ? pictureValues : undefined,
    // The menu bar before the controls, as it is read: the first stop of the Tab order.
    }, menuBar + tag('div', { class: 'client' }, client) + titleBar);
}

// The body of the page: the four windows as they are at start-up (one over another in the page's
// order, as the core first raises them), the live region that tells a screen reader each step's
// result, and what the page needs of the layouts to show the core's states (each window's controls
// in the core's order, the page's own texts) as data.
export function pageMarkup(layouts, view) {
    if (view.raised.some((w, i) => w !== i)) throw new Error(`the core first raises the windows ${view.raised}, not in the page's order`);
    const panels = layouts.windows.map((layout, i) => panelMarkup(layout, i, view.windows[i], layouts, view.pictureValues)).join('');
    const data = { texts: layouts.texts, windows: layouts.windows.map((layout) => layout.controls.map((control) => control.name)) };
    return tag('main', { class: 'desktop' }, panels)
        + tag('div', { class: 'assistive', 'aria-live': 'polite', 'data-role': 'announcer' })
        + `<script type="application/json" id="page-data">${JSON.stringify(data).replace(/</g, '\\u003c')}</script>`;
}

const number = (value) => String(Math.round(value * 1e4) / 1e4);

// Every window's and control's place and size from the layout, in units of --u: one pixel on the
// desktop, less where a card must shrink to fit a narrow screen. Controls by their ids, the
// quickest rules for a browser to match.
export function layoutStyles(layouts) {
    const rules = [];
    const scaled = (property, pixels) => `${property}: calc(var(--u) * ${number(pixels)})`;
    const font = (points) => `font-size: max(var(--min-text), calc(var(--u) * ${number(points * 4 / 3)}))`;
    const wide = desktopWidth(layouts);
    const desktop = [];
    layouts.windows.forEach((layout, index) => {
        const chrome = TITLE_BAR + (index === 0 ? MENU_BAR : 0);
        const win = `[data-window="${layout.name}"]`;
        rules.push(`${win} { --client-width: ${px(layout.client.width)}; }`);
        const windowFont = layout.pointSize > 0 ? layout.pointSize : WINDOW_FONT;
        rules.push(`${win} > .client { ${scaled('width', px(layout.client.width))}; ${scaled('height', px(layout.client.height))}; ${font(windowFont)}; }`);
        const left = MARGIN + px(layout.client.left), outer = px(layout.client.width) + 2 * BORDER;
        desktop.push(`${win} { left: ${layout.name === FIGURE ? `min(${left}px, calc(100vw - ${outer + MARGIN}px))` : `${left}px`}; top: ${MARGIN + TITLE_BAR + MENU_BAR + px(layout.client.top) - chrome}px; }`);
        for (const control of layout.controls) {
            const { kind, rect } = control;
            if (kind === 'menu' || kind === 'item' || kind === 'command') continue;
            const declarations = [];
            if (kind === 'line') {
                declarations.push(scaled('left', px(rect.left)), scaled('top', px(rect.top)),
                    rect.width === 0 ? 'width: 1px' : scaled('width', px(rect.width)),
                    rect.height === 0 ? 'height: 1px' : scaled('height', px(rect.height)));
            } else {
                declarations.push(scaled('left', px(rect.left)), scaled('top', px(rect.top)),
                    scaled('width', px(rect.width)), scaled('height', px(rect.height)));
            }
            // Each its own font size, so that each has the floor of its kind.
            declarations.push(font(control.pointSize > 0 ? control.pointSize : windowFont));
            // One line of text stands in the middle of the box, as in a single-line box.
            if (kind === 'input') declarations.push(scaled('line-height', px(rect.height) - 4));
            const id = `#${controlId(layout.name, control.name).replace(/[()]/g, '\\$&')}`;
            rules.push(`${id} { ${declarations.join('; ')}; }`);
            // A button smaller than a fingertip answers one over 24 px (and 1 px of its border).
            const reach = (size) => Math.max(0, Math.ceil((24 - size) / 2) + 1);
            if (kind === 'button' && (reach(px(rect.height)) || reach(px(rect.width)))) {
                rules.push(`${id}::after { inset: -${reach(px(rect.height))}px -${reach(px(rect.width))}px; }`);
            }
        }
    });
    const bottom = 2 * MARGIN + 2 * BORDER + TITLE_BAR + MENU_BAR
        + Math.max(...layouts.windows.map(({ client }) => px(client.top) + px(client.height)));
    desktop.push(`.desktop { width: ${wide}px; height: ${bottom}px; }`);
    rules.push(`@media screen and (min-width: ${wide}px) {\n${desktop.map((rule) => `    ${rule}`).join('\n')}\n}`);
    return `/* The windows' geometry, written from the layout when the site is built. */\n${rules.join('\n')}\n`;
}
