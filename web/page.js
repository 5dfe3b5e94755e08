// The browser edition's front end: builds the three windows as panels from the core's layout,
// forwards every user action to the core by control name and shows the state it returns.
// Nothing here computes or decides anything of the workflow.

const TWIPS_PER_PIXEL = 15;
const TITLE_BAR = 22;  // px, a panel's title bar
const MENU_BAR = 22;   // px, the main panel's menu bar
const MARGIN = 8;      // px around the desktop
const BORDER = 2;      // px, a panel's border
const WINDOW_FONT = 9; // pt, the program's font where a window names none

const px = (twips) => Math.round(twips / TWIPS_PER_PIXEL);

function element(tag, className, parent) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (parent) parent.append(node);
    return node;
}

function place(node, rect) {
    Object.assign(node.style, {
        left: `${px(rect.left)}px`, top: `${px(rect.top)}px`,
        width: `${px(rect.width)}px`, height: `${px(rect.height)}px`,
    });
}

// The element that shows one control, by its kind; its text is set by the first render.
function makeControl(control) {
    const { kind } = control;
    let node;
    if (kind === 'input' || kind === 'textarea') {
        // A text area keeps every character a box can hold (tabs, line breaks) as it is.
        node = document.createElement('textarea');
        node.spellcheck = false;
        node.setAttribute('autocomplete', 'off');
        if (kind === 'input') node.rows = 1;
        else node.readOnly = true;
    } else if (kind === 'total') {
        node = document.createElement('input');
        node.readOnly = true;
        node.tabIndex = -1;  // a result, never input
    } else if (kind === 'button' || kind === 'item' || kind === 'command' || kind === 'menu') {
        node = document.createElement('button');
        node.type = 'button';
    } else if (kind === 'frame') {
        node = document.createElement('fieldset');
        element('legend', null, node);
    } else {
        node = document.createElement('div');
    }
    node.classList.add('control', kind, `align-${control.alignment}`);
    node.dataset.name = control.name;
    node.dataset.kind = kind;
    if (control.pointSize > 0) node.style.fontSize = `${control.pointSize}pt`;
    if (kind === 'line') {
        const r = control.rect;
        place(node, r);
        if (r.width === 0) node.style.width = '1px';
        if (r.height === 0) node.style.height = '1px';
    } else if (kind !== 'menu' && kind !== 'item' && kind !== 'command') {
        place(node, control.rect);
    }
    if (kind === 'input') {
        // One line of text stands in the middle of the box, as in a single-line box.
        node.style.lineHeight = `${px(control.rect.height) - 4}px`;
    }
    return node;
}

function textOf(node) {
    if (node.dataset.kind === 'frame') return node.firstChild.textContent;
    return 'value' in node && node.tagName !== 'BUTTON' ? node.value : node.textContent;
}

function setText(node, text) {
    if (textOf(node) === text) return;
    if (node.dataset.kind === 'frame') node.firstChild.textContent = text;
    else if ('value' in node && node.tagName !== 'BUTTON') node.value = text;
    else node.textContent = text;
}

class Page {
    constructor(layouts, core) {
        this.core = core;
        this.texts = layouts.texts;
        this.keyboardOrder = layouts.keyboardOrder;
        this.inputCharacters = layouts.inputCharacters;
        this.layouts = layouts.windows;
        this.panels = [];
        this.controls = [];  // per window, in the order of the core's state
        this.stacking = 0;
        this.desktop = element('div', 'desktop', document.body);
        this.layouts.forEach((layout, index) => this.buildPanel(layout, index));
        this.fitToViewport();
        window.addEventListener('resize', () => this.fitToViewport());
        document.addEventListener('keydown', (event) => this.onKey(event));
        document.addEventListener('copy', (event) => this.onCopy(event));
        document.addEventListener('pointerdown', (event) => {
            if (!event.target.closest('.menu-group')) this.closeMenus();
        });
        this.render(this.view());
    }

    view() {
        return JSON.parse(this.core.view());
    }

    buildPanel(layout, index) {
        const panel = element('section', 'panel', this.desktop);
        panel.dataset.window = layout.name;
        panel.dataset.kind = 'window';
        panel.tabIndex = -1;
        panel.setAttribute('aria-label', layout.title);
        panel.style.fontSize = `${layout.pointSize > 0 ? layout.pointSize : WINDOW_FONT}pt`;
        const titleBar = element('div', 'title-bar', panel);
        element('span', 'title', titleBar).textContent = layout.title;
        const close = element('button', 'close', titleBar);
        close.type = 'button';
        close.textContent = '×';
        close.tabIndex = -1;
        close.setAttribute('aria-label', this.texts.close);
        close.addEventListener('click', () => this.perform(() => this.core.close(index)));
        panel.addEventListener('pointerdown', () => this.raise(index));

        const isMain = index === 0;
        const menuBar = isMain ? element('div', 'menu-bar', panel) : null;
        if (menuBar) menuBar.setAttribute('role', 'menubar');
        const client = element('div', 'client', panel);
        Object.assign(client.style, { width: `${px(layout.client.width)}px`, height: `${px(layout.client.height)}px` });
        const chrome = TITLE_BAR + (isMain ? MENU_BAR : 0);
        Object.assign(panel.style, {
            left: `${MARGIN + px(layout.client.left)}px`,
            top: `${MARGIN + TITLE_BAR + MENU_BAR + px(layout.client.top) - chrome}px`,
        });

        const nodes = layout.controls.map((control) => makeControl(control));
        const byName = new Map(layout.controls.map((control, i) => [control.name, nodes[i]]));
        // The main window's keyboard order comes first in the document, so that Tab follows it.
        const order = isMain ? this.keyboardOrder : [];
        const first = new Set(order.filter((name) => byName.get(name).dataset.kind !== 'textarea'));
        for (const name of first) client.append(byName.get(name));
        layout.controls.forEach((control, i) => {
            const node = nodes[i];
            if (first.has(control.name)) return;
            if (control.kind === 'menu' || control.kind === 'command') {
                const group = element('div', 'menu-group', menuBar);
                group.append(node);
                node.tabIndex = -1;
                if (control.kind === 'menu') {
                    node.setAttribute('aria-haspopup', 'menu');
                    const list = element('div', 'menu-list', group);
                    list.setAttribute('role', 'menu');
                    node.addEventListener('click', () => this.toggleMenu(group));
                } else {
                    node.setAttribute('role', 'menuitem');
                    node.addEventListener('click', () => this.choose(control.name));
                }
            } else if (control.kind === 'item') {
                node.setAttribute('role', 'menuitem');
                byName.get(control.parent).parentElement.querySelector('.menu-list').append(node);
                node.addEventListener('click', () => this.choose(control.name));
            } else if (control.parent) {
                byName.get(control.parent).append(node);
            } else {
                client.append(node);
            }
        });
        layout.controls.forEach((control, i) => this.connect(control, nodes[i]));
        this.panels.push(panel);
        this.controls.push(nodes);
    }

    connect(control, node) {
        const { name, kind } = control;
        if (kind === 'button') {
            node.addEventListener('click', () => this.perform(() => this.core.press(name)));
        } else if (kind === 'input') {
            // Never fewer than the core keeps (a character takes at most two UTF-16 units); the
            // box then shows exactly what the core keeps.
            node.maxLength = 2 * this.inputCharacters;
            node.addEventListener('input', () => {
                const kept = this.core.type(name, node.value);
                if (kept !== node.value) node.value = kept;
            });
            node.addEventListener('paste', (event) => {
                event.preventDefault();
                const text = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
                this.perform(() => this.core.paste(name, text));
            });
            node.addEventListener('keydown', (event) => {
                // Enter that commits the input method's conversion (full-width digits) is its own.
                if (event.key !== 'Enter' || event.isComposing || event.keyCode === 229) return;
                // A box holds one line; Enter in a size box presses OK.
                event.preventDefault();
                if (name === 'Text12' || name === 'Text13') this.perform(() => this.core.press('Command1'));
            });
        }
    }

    choose(name) {
        this.closeMenus();
        this.perform(() => this.core.choose(name));
    }

    toggleMenu(group) {
        const open = !group.classList.contains('open');
        this.closeMenus();
        if (!open) return;
        group.classList.add('open');
        const first = group.querySelector('.menu-list button:not([hidden])');
        if (first) first.focus();
    }

    closeMenus() {
        for (const open of document.querySelectorAll('.menu-group.open')) open.classList.remove('open');
    }

    onKey(event) {
        if (event.key === 'F10' && !this.dialogOpen()) {
            // F10 opens the menu bar, so that every menu item is reachable without a mouse.
            event.preventDefault();
            this.panels[0].querySelector('.menu-bar button').focus();
        } else if (event.key === 'Escape') {
            this.closeMenus();
        }
    }

    // Ctrl+C with nothing selected copies the whole table of the window that has the focus.
    onCopy(event) {
        const inPanel = (node) => this.panels.some((panel) => panel.contains(node));
        const focus = inPanel(event.target) ? event.target : document.activeElement;
        const index = this.panels.findIndex((panel) => panel.contains(focus));
        if (index < 0 || this.dialogOpen()) return;
        const inBox = focus && typeof focus.selectionStart === 'number' && focus.selectionStart !== focus.selectionEnd;
        if (inBox || !document.getSelection().isCollapsed) return;
        event.preventDefault();
        event.clipboardData.setData('text/plain', this.core.copyTable(index));
    }

    raise(index) {
        this.panels[index].style.zIndex = String(++this.stacking);
    }

    dialogOpen() {
        return document.querySelector('.dialog') !== null;
    }

    // Runs one action, shows the state, then the boxes it raised, one after another.
    perform(action) {
        if (this.dialogOpen() || document.documentElement.dataset.state === 'ended') return;
        action();
        const view = this.view();
        this.render(view);
        (async () => {
            for (const message of view.messages) await this.box(message, false);
            if (view.question) {
                this.core.answer(await this.box(view.question, true));
                const after = this.view();
                this.render(after);
                if (after.exited) this.end();
            }
        })();
    }

    render(view) {
        view.windows.forEach((state, w) => {
            this.panels[w].hidden = !state.shown;
            state.controls.forEach((control, i) => {
                const node = this.controls[w][i];
                if (node.dataset.kind !== 'line') {
                    setText(node, control.text);
                    if (node.getAttribute('aria-label') !== control.spoken) node.setAttribute('aria-label', control.spoken);
                }
                if (node.hidden === control.visible) node.hidden = !control.visible;
            });
        });
        for (const index of view.raised) this.raise(index);
    }

    // An in-page modal box; resolves to true for Yes (and OK).
    box(prompt, question) {
        return new Promise((resolve) => {
            const opener = document.activeElement;
            const overlay = element('div', 'dialog', document.body);
            overlay.dataset.kind = question ? 'question' : 'message';
            overlay.dataset.caption = prompt.caption;
            const frame = element('div', 'dialog-frame', overlay);
            frame.setAttribute('role', question ? 'alertdialog' : 'dialog');
            frame.setAttribute('aria-modal', 'true');
            const title = element('div', 'title-bar', frame);
            element('span', 'title', title).textContent = prompt.caption || this.texts.programTitle;
            const text = element('div', 'dialog-text', frame);
            text.textContent = prompt.text;
            frame.setAttribute('aria-label', title.textContent);
            frame.setAttribute('aria-describedby', (text.id = `dialog-text-${++this.stacking}`));
            const buttons = element('div', 'dialog-buttons', frame);
            const choices = question ? [['yes', this.texts.yes, true], ['no', this.texts.no, false]]
                                     : [['ok', this.texts.ok, true]];
            const nodes = choices.map(([answer, caption, value]) => {
                const button = element('button', null, buttons);
                button.type = 'button';
                button.dataset.answer = answer;
                button.textContent = caption;
                button.addEventListener('click', () => {
                    overlay.remove();
                    if (opener && opener.isConnected) opener.focus();
                    resolve(value);
                });
                return button;
            });
            // The focus stays inside the box until it is answered.
            frame.addEventListener('keydown', (event) => {
                if (event.key !== 'Tab') return;
                event.preventDefault();
                const at = nodes.indexOf(document.activeElement);
                nodes[(at + (event.shiftKey ? nodes.length - 1 : 1)) % nodes.length].focus();
            });
            nodes[0].focus();
        });
    }

    end() {
        for (const panel of this.panels) panel.hidden = true;
        this.desktop.hidden = true;
        const note = element('p', 'ended', document.body);
        note.textContent = this.texts.ended;
        document.documentElement.dataset.state = 'ended';
    }

    // The panels keep their desktop places; a narrower viewport scales the whole desktop down.
    // The size comes from the layout, so that starting forces no layout of the page.
    fitToViewport() {
        const right = 2 * MARGIN + 2 * BORDER + Math.max(...this.layouts.map(({ client }) => px(client.left) + px(client.width)));
        const bottom = 2 * MARGIN + 2 * BORDER + TITLE_BAR + MENU_BAR
            + Math.max(...this.layouts.map(({ client }) => px(client.top) + px(client.height)));
        const scale = Math.min(1, window.innerWidth / right);
        Object.assign(this.desktop.style, {
            width: `${right}px`, height: `${bottom}px`,
            transform: scale < 1 ? `scale(${scale})` : '',
            marginBottom: `${Math.round(bottom * (scale - 1))}px`,
        });
    }
}

function showFailure(title, text) {
    const overlay = element('div', 'dialog failure', document.body);
    const frame = element('div', 'dialog-frame', overlay);
    frame.setAttribute('role', 'alert');
    element('span', 'title', element('div', 'title-bar', frame)).textContent = title;
    element('div', 'dialog-text', frame).textContent = text;
    document.documentElement.dataset.state = 'failed';
}

// Starts the program: the core and the two table files at once, then the windows, or the
// start-up message and nothing else.
export async function start({ createCore, moduleOptions, fetchTable }) {
    const names = ['chi2prob.dat', 'power06.dat'];
    const tables = names.map((name) => fetchTable(name));  // while the core loads
    const module = await createCore(moduleOptions);
    const files = {};
    for (const [i, name] of names.entries()) files[name] = await tables[i];
    const core = new module.Core(decodeURIComponent(new URL('.', location.href).pathname), files);
    const layouts = JSON.parse(module.layouts());
    const failure = core.failure();
    if (failure) {
        showFailure(layouts.texts.programTitle, failure);
        return;
    }
    window.tomokari = new Page(layouts, core);
    document.documentElement.dataset.state = 'ready';
    performance.mark('tomokari-ready');
}
