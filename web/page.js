// The browser edition's front end. The windows come written into the page (markup.mjs, when the
// site is built); this brings them to life: it forwards every user action to the core by control
// name and shows the state the core returns. Nothing here computes or decides anything of the
// workflow. Actions taken before the core has loaded wait for it, so that nothing is lost.

import { instantiateCore } from './core.js';

const JOURNAL = 'tomokari-journal';
const STACKED = '(max-width: 841.98px)';

// What a screen reader is told a control is called; null: its content speaks for itself.
export function accessibleLabel(kind, text, spoken) {
    if (['input', 'textarea', 'total', 'button'].includes(kind)) return spoken;
    if (kind === 'label') return spoken === text ? null : spoken;
    return null;
}

// The result a screen reader hears after each step: the window, the box and how many lines.
const ANNOUNCED = {
    Command7: ['Form3', 'Text11', Infinity], Command5: ['Form3', 'Text11', Infinity],
    Command3: ['Form4', 'Text11', 1], Command8: ['Form4', 'Text11', 2],
};

const isTextBox = (node) => node.dataset.kind === 'input';

function textOf(node) {
    if (node.dataset.kind === 'frame') return node.firstChild.textContent;
    if (isTextBox(node)) return node.textContent;
    return 'value' in node && node.tagName !== 'BUTTON' ? node.value : node.textContent;
}

function setText(node, text) {
    if (textOf(node) === text) return;
    if (node.dataset.kind === 'frame') node.firstChild.textContent = text;
    else if (isTextBox(node) || node.tagName === 'BUTTON' || !('value' in node)) node.textContent = text;
    else node.value = text;
    // A new text is read from its first line, as the desktop's boxes show it, also in a box with the focus.
    if (node.tagName === 'TEXTAREA') {
        node.setSelectionRange(0, 0);
        node.scrollTop = 0;
    }
}

// The whole text of a box selected, its closing line breaks too.
function selectAll(box) {
    const range = document.createRange();
    range.selectNodeContents(box);
    document.getSelection().removeAllRanges();
    document.getSelection().addRange(range);
}

// Where the selection stands in a text box, as offsets into its text. Line feeds at the end show
// nothing that a selection could stop before: one that reaches them takes them too.
function selectionIn(box) {
    const selection = document.getSelection();
    const text = box.textContent;
    if (!selection.rangeCount || !box.contains(selection.anchorNode)) return [text.length, text.length];
    const offset = (node, at) => {
        const range = document.createRange();
        range.selectNodeContents(box);
        range.setEnd(node, at);
        return range.toString().length;
    };
    const range = selection.getRangeAt(0);
    const [start, end] = [offset(range.startContainer, range.startOffset), offset(range.endContainer, range.endOffset)];
    return [start, start < end && end === text.replace(/[\r\n]+$/, '').length ? text.length : end];
}

// A box's text as one text node, the caret at `caret`.
function putText(box, text, caret) {
    box.textContent = text;
    if (document.activeElement !== box) return;
    const node = box.firstChild ?? box;
    document.getSelection().collapse(node, Math.min(caret, node.nodeType === Node.TEXT_NODE ? text.length : 0));
}

const motion = () => (matchMedia('(prefers-reduced-motion: reduce)').matches ? 'auto' : 'smooth');

class Page {
    constructor() {
        // Each window's controls in the order of the core's states, and the page's own texts.
        const { texts, windows } = JSON.parse(document.getElementById('page-data').textContent);
        this.texts = texts;
        this.core = null;      // until it has loaded, actions wait in `waiting`
        this.waiting = [];
        this.busy = false;     // a box is open, or queued actions are being played
        this.panels = [...document.querySelectorAll('section.panel')];
        this.byName = this.panels.map((panel) => new Map(
            [...panel.querySelectorAll('[data-name]')].map((node) => [node.dataset.name, node])));
        this.names = windows;
        this.announcer = document.querySelector('[data-role="announcer"]');
        this.menuBar = this.panels[0].querySelector('.menu-bar');
        this.stacking = 0;
        this.figure = this.panels.findIndex((panel) => panel.dataset.window === 'Figure');
        this.picture = '';
        this.connect();
    }

    node(window, name) {
        return this.byName[window].get(name);
    }

    // What showing a state needs, found when a state is first shown rather than while the page
    // starts: each window's controls in the order of the core's states, their places by name, and
    // the screen-reader cells with the controls they mirror.
    get controls() {
        this.controlNodes ??= this.names.map((names, w) => names.map((name) => this.node(w, name)));
        return this.controlNodes;
    }

    get index() {
        this.places ??= this.names.map((names) => new Map(names.map((name, i) => [name, i])));
        return this.places;
    }

    get mirrors() {
        this.mirrored ??= [...document.querySelectorAll('[data-mirror]')].map((node) => [node, document.getElementById(node.dataset.mirror)]);
        return this.mirrored;
    }

    // Runs `action` (a function of the core) now, or once the core has loaded.
    act(action, options = {}) {
        if (document.documentElement.dataset.state === 'ended') return;
        if (!this.core || this.busy) {
            this.waiting.push([action, options]);
            return;
        }
        this.perform(action, options);
    }

    connect() {
        this.panels.forEach((panel, index) => {
            panel.querySelector('.title-bar .close').addEventListener('click', () => this.act((core) => core.close(index), { record: ['close', index] }));
            panel.querySelector('.title-bar .copy').addEventListener('click', () => this.copyWindow(index));
            panel.addEventListener('pointerdown', () => this.raise(index));
            for (const [type, button] of [['png', '.save-png'], ['svg', '.save-svg']]) {
                panel.querySelector(`.title-bar ${button}`)?.addEventListener('click', () => this.saveFigure(type));
            }
        });
        for (const [name, node] of this.byName[0]) {
            const kind = node.dataset.kind;
            if (kind === 'button') node.addEventListener('click', () => this.act((core) => core.press(name), { record: ['press', name], step: name }));
            if (kind === 'command' || kind === 'item') node.addEventListener('click', () => this.choose(name));
            if (kind === 'menu') node.addEventListener('click', () => this.toggleMenu(node.parentElement));
            if (kind === 'input') this.connectBox(name, node);
        }
        document.addEventListener('keydown', (event) => this.onKey(event));
        document.addEventListener('copy', (event) => this.onCopy(event));
        document.addEventListener('pointerdown', (event) => {
            if (!event.target.closest('.menu-group')) this.closeMenus(false);
        });
        addEventListener('beforeprint', () => this.beforePrint());
        addEventListener('afterprint', () => this.afterPrint());
    }

    // A text box keeps exactly the characters it is given: what is inserted goes in as it is
    // (the browser would turn a carriage return into a new block), and the core has the last
    // word on what the box holds.
    connectBox(name, box) {
        const { enter } = box.dataset;  // what Enter does there, from the layout
        // Tab into a box selects its text, as the desktop's boxes do, so that typing replaces it; so
        // does the first tap on a box without the focus (the next places the caret); a click places it.
        let pointer = null;
        box.addEventListener('pointerdown', (event) => { pointer = document.activeElement === box ? null : event.pointerType; });
        box.addEventListener('focus', () => {
            if (pointer === null) selectAll(box);
        });
        box.addEventListener('click', () => {
            if (pointer === 'touch') selectAll(box);
            pointer = null;
        });
        box.addEventListener('blur', () => { pointer = null; });
        box.addEventListener('beforeinput', (event) => {
            const [start, end] = selectionIn(box);
            const deletes = event.inputType.startsWith('delete') && start < end;
            const inserts = ['insertText', 'insertReplacementText', 'insertFromDrop', 'insertFromYank'].includes(event.inputType);
            const data = deletes ? '' : event.data ?? event.dataTransfer?.getData('text/plain');
            if (!(deletes || inserts) || data === null || data === undefined) return;
            event.preventDefault();
            const text = box.textContent;
            putText(box, text.slice(0, start) + data + text.slice(end), start + data.length);
            box.dispatchEvent(new Event('input', { bubbles: true }));
        });
        box.addEventListener('input', (event) => {
            if (event.isComposing) return;
            const text = box.textContent;
            if (box.childNodes.length > 1 || (box.firstChild && box.firstChild.nodeType !== Node.TEXT_NODE)) {
                putText(box, text, selectionIn(box)[0]);
            }
            this.typed(name, box);
        });
        box.addEventListener('compositionend', () => this.typed(name, box));
        box.addEventListener('paste', (event) => {
            event.preventDefault();
            const text = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
            this.act((core) => core.paste(name, text), { record: ['paste', name, text] });
        });
        box.addEventListener('keydown', (event) => {
            // Enter that commits the input method's conversion (full-width digits) is its own.
            if (event.key !== 'Enter' || event.isComposing || event.keyCode === 229) return;
            event.preventDefault();
            if (enter === 'ok') this.act((core) => core.press('Command1'), { record: ['press', 'Command1'], step: 'Command1' });
            else if (enter === 'next') this.moveOn(box);
        });
    }

    typed(name, box) {
        const text = box.textContent;
        const type = (core) => {
            // The box then shows exactly what the core keeps of it.
            const kept = core.type(name, text);
            if (kept !== box.textContent) putText(box, kept, kept.length);
        };
        if (!this.core || this.busy) {
            // Typing on in the same box replaces what waits for it; after anything else it waits its turn.
            if (this.waiting.at(-1)?.[1].typing === name) this.waiting.pop();
            this.waiting.push([type, { typing: name, record: ['type', name, text] }]);
            return;
        }
        type(this.core);
        this.journal(['type', name, text]);
        this.remember();
    }

    // On to the next control of the keyboard order that is shown (the page's order is that).
    moveOn(box) {
        const order = [...this.panels[0].querySelectorAll('.client [tabindex="0"], .client button, .client textarea')]
            .filter((node) => node.checkVisibility());
        const next = order[order.indexOf(box) + 1];
        if (next) next.focus();
    }

    choose(name) {
        this.closeMenus(true);
        this.act((core) => core.choose(name), { record: ['choose', name], step: name });
    }

    // The menu bar as a menu bar: arrows move between and within menus, Enter chooses, Escape closes.
    menuTitles() {
        return [...this.menuBar.querySelectorAll(':scope > .menu-group > button')];
    }

    openMenu(group, focusItem) {
        this.closeMenus(false);
        const title = group.querySelector(':scope > button');
        if (title.dataset.kind !== 'menu') return;
        group.classList.add('open');
        title.setAttribute('aria-expanded', 'true');
        const items = this.menuItems(group);
        if (focusItem !== undefined && items.length) items[(focusItem + items.length) % items.length].focus();
    }

    menuItems(group) {
        return [...group.querySelectorAll('.menu-list button')].filter((item) => !item.hidden);
    }

    toggleMenu(group) {
        if (group.classList.contains('open')) this.closeMenus(false);
        else {
            this.enterMenus();
            this.openMenu(group, 0);
        }
    }

    enterMenus() {
        if (!this.menuBar.contains(document.activeElement)) this.beforeMenus = document.activeElement;
    }

    // Closes any open menu; `leave` takes the focus back to the main window, where it was.
    closeMenus(leave) {
        for (const open of document.querySelectorAll('.menu-group.open')) {
            open.classList.remove('open');
            open.querySelector(':scope > button').setAttribute('aria-expanded', 'false');
        }
        if (!leave) return;
        const back = this.beforeMenus;
        this.beforeMenus = null;
        if (back && back.isConnected && this.panels[0].contains(back) && back.checkVisibility()) back.focus();
        else this.panels[0].focus();
    }

    onMenuKey(event) {
        const titles = this.menuTitles();
        const group = event.target.closest('.menu-group');
        const at = titles.indexOf(group.querySelector(':scope > button'));
        const inList = event.target.closest('.menu-list') !== null;
        const open = group.classList.contains('open');
        const move = (step) => {
            const next = titles[(at + step + titles.length) % titles.length];
            if (open) this.openMenu(next.parentElement, 0);
            if (!open || next.dataset.kind !== 'menu') next.focus();
        };
        if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
            move(event.key === 'ArrowRight' ? 1 : -1);
        } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
            const items = this.menuItems(group);
            if (!inList) this.openMenu(group, event.key === 'ArrowDown' ? 0 : -1);
            else items[(items.indexOf(event.target) + (event.key === 'ArrowDown' ? 1 : -1) + items.length) % items.length].focus();
        } else if ((event.key === 'Enter' || event.key === ' ') && !inList && event.target.dataset.kind === 'menu') {
            this.openMenu(group, 0);
        } else if (event.key === 'Escape') {
            if (open) {
                this.closeMenus(false);
                group.querySelector(':scope > button').focus();
            } else {
                this.closeMenus(true);
            }
        } else if (event.key === 'Tab') {
            this.closeMenus(false);
            return;
        } else {
            return;
        }
        event.preventDefault();
    }

    onKey(event) {
        if (this.dialog) return;
        if (event.key === 'F10') {
            // F10 opens the menu bar, so that every menu item is reachable without a mouse.
            event.preventDefault();
            this.enterMenus();
            this.closeMenus(false);
            this.menuTitles()[0].focus();
        } else if (this.menuBar.contains(event.target)) {
            this.onMenuKey(event);
        } else if (event.key === 'Escape') {
            this.closeMenus(false);
        }
    }

    // Ctrl+C with nothing selected copies the whole table of the window that has the focus.
    onCopy(event) {
        const inPanel = (node) => this.panels.some((panel) => panel.contains(node));
        const focus = inPanel(event.target) ? event.target : document.activeElement;
        const index = this.panels.findIndex((panel) => panel.contains(focus));
        if (index < 0 || this.dialog || !this.core) return;
        const inBox = focus && typeof focus.selectionStart === 'number' && focus.selectionStart !== focus.selectionEnd;
        if (inBox || !document.getSelection().isCollapsed) return;
        event.preventDefault();
        const text = this.core.copyTable(index);
        event.clipboardData.setData('text/plain', text);
        // The picture goes with its caption (the window's text), as a figure that a word processor takes in.
        if (index === this.figure && this.picture) {
            let bytes = '';
            for (const byte of new TextEncoder().encode(this.picture)) bytes += String.fromCharCode(byte);
            const source = `data:image/svg+xml;base64,${btoa(bytes)}`;
            event.clipboardData.setData('text/html', `<figure><img src="${source}" alt="${escapeHtml(text)}">`
                + `<figcaption>${escapeHtml(text).replace(/\n/g, '<br>')}</figcaption></figure>`);
        }
    }

    // The title bar's copy button, for a touch screen: the same table as Ctrl+C copies, or the
    // picture as an image with its caption.
    copyWindow(index) {
        if (!this.core || this.dialog) return;
        const text = this.core.copyTable(index);
        if (index !== this.figure || !this.picture || typeof ClipboardItem === 'undefined') {
            navigator.clipboard.writeText(text).catch(() => {});
            return;
        }
        navigator.clipboard.write([new ClipboardItem({
            'image/png': pictureImage(this.picture), 'text/plain': new Blob([text], { type: 'text/plain' }),
        })]).catch(() => navigator.clipboard.writeText(text).catch(() => {}));
    }

    // The picture as a file: its SVG text as it is, or a PNG of it at twice its size.
    async saveFigure(type) {
        if (!this.picture) return;
        try {
            const blob = type === 'svg' ? new Blob([this.picture], { type: 'image/svg+xml' }) : await pictureImage(this.picture);
            const link = Object.assign(document.createElement('a'), { href: URL.createObjectURL(blob), download: `${this.texts.figureFile}.${type}` });
            link.click();
            setTimeout(() => URL.revokeObjectURL(link.href), 10000);
        } catch {
            await this.box({ caption: '', text: this.texts.notSaved }, false);
        }
    }

    raise(index) {
        this.panels[index].style.zIndex = String(++this.stacking);
    }

    // Runs one action on the core, shows the state, brings the step's window into view, tells a
    // screen reader the result, then shows the boxes it raised one after another.
    perform(action, { record, step } = {}) {
        const before = this.core.view();
        action(this.core);
        if (record) this.journal(record);
        const view = this.view();
        this.render(view);
        if (step) this.showResult(step, JSON.parse(before), view);
        this.remember();
        if (!view.messages.length && !view.question) return;
        this.busy = true;
        (async () => {
            for (const message of view.messages) await this.box(message, false);
            if (view.question) {
                const yes = await this.box(view.question, true);
                this.core.answer(yes);
                this.journal(['answer', yes]);
                const after = this.view();
                this.render(after);
                this.remember();
                if (after.exited) this.end();
            }
            this.busy = false;
            this.playWaiting();
        })();
    }

    view() {
        return JSON.parse(this.core.view());
    }

    render(view) {
        view.windows.forEach((state, w) => {
            this.panels[w].hidden = !state.shown;
            state.controls.forEach((control, i) => {
                const node = this.controls[w][i];
                if (node.dataset.kind !== 'line') {
                    setText(node, control.text);
                    const label = accessibleLabel(node.dataset.kind, control.text, control.spoken);
                    if (label !== null && node.getAttribute('aria-label') !== label) node.setAttribute('aria-label', label);
                }
                if (node.hidden === control.visible) node.hidden = !control.visible;
            });
        });
        for (const [node, mirrored] of this.mirrors) node.hidden = mirrored.hidden;
        for (const index of view.raised) this.raise(index);
        if (view.picture !== this.picture) this.showPicture(view);
        // The numbers the picture draws stay with it for the scripted runner, as the core wrote them.
        this.panels[this.figure].dataset.values = view.pictureValues;
    }

    // The picture as the core draws it, named by its caption for screen readers.
    showPicture(view) {
        this.picture = view.picture;
        const node = this.node(this.figure, 'Picture');
        node.innerHTML = view.picture;
        const caption = view.windows[this.figure].controls[this.index[this.figure].get('Caption')].text;
        node.setAttribute('aria-label', caption || this.panels[this.figure].getAttribute('aria-label'));
    }

    // The window a step showed or wrote into comes into view, and its result is announced.
    showResult(step, before, view) {
        const changed = (w) => view.windows[w].controls.some((control, i) => control.text !== before.windows[w].controls[i].text);
        const shown = (w) => view.windows[w].shown;
        // A step that drew the picture brings it into view; another the window it showed or wrote into.
        const drew = Boolean(view.picture) && view.picture !== before.picture;
        const target = (drew ? this.figure : undefined) ?? [1, 2].find((w) => shown(w) && (view.raised.includes(w) || changed(w)))
            ?? (view.windows[0].controls[this.index[0].get('Text11')].text !== before.windows[0].controls[this.index[0].get('Text11')].text
                ? 0 : undefined);
        if (target !== undefined) {
            const node = target === 0 ? this.node(0, 'Frame1') : this.panels[target];
            node.scrollIntoView({ behavior: motion(), block: matchMedia(STACKED).matches ? 'start' : 'nearest' });
        }
        const [window, name, lines] = ANNOUNCED[step] ?? [];
        if (!window) return;
        const w = this.panels.findIndex((panel) => panel.dataset.window === window);
        if (!shown(w)) return;
        const textOf = (index, control, count) => view.windows[index].controls[this.index[index].get(control)].text.split('\n').slice(0, count).join('\n');
        // A step that drew the picture also says, in the caption's first line, what it shows.
        const drawn = drew ? `\n${textOf(this.figure, 'Caption', 1)}` : '';
        const text = textOf(w, name, lines) + drawn;
        this.announcer.textContent = '';
        requestAnimationFrame(() => { this.announcer.textContent = text; });
    }

    // An in-page modal box; resolves to true for はい (and OK). Enter answers はい, Escape いいえ.
    box(prompt, question) {
        return new Promise((resolve) => {
            const opener = document.activeElement;
            const dialog = document.createElement('dialog');
            dialog.className = 'dialog';
            dialog.dataset.kind = question ? 'question' : 'message';
            dialog.dataset.caption = prompt.caption;
            dialog.setAttribute('role', question ? 'alertdialog' : 'dialog');
            const title = document.createElement('div');
            title.className = 'title-bar';
            title.append(Object.assign(document.createElement('span'), { className: 'title', textContent: prompt.caption || this.texts.programTitle }));
            const text = Object.assign(document.createElement('div'), { className: 'dialog-text', textContent: prompt.text });
            text.id = `dialog-text-${++this.stacking}`;
            dialog.setAttribute('aria-label', title.textContent);
            dialog.setAttribute('aria-describedby', text.id);
            const buttons = document.createElement('div');
            buttons.className = 'dialog-buttons';
            dialog.append(title, text, buttons);
            const finish = (value) => {
                this.dialog = null;
                visualViewport?.removeEventListener('resize', place);
                visualViewport?.removeEventListener('scroll', place);
                dialog.close();
                dialog.remove();
                if (opener && opener.isConnected && opener.checkVisibility()) opener.focus();
                resolve(value);
            };
            const choices = question ? [['yes', this.texts.yes, true], ['no', this.texts.no, false]] : [['ok', this.texts.ok, true]];
            for (const [answer, caption, value] of choices) {
                const button = Object.assign(document.createElement('button'), { type: 'button', textContent: caption });
                button.dataset.answer = answer;
                button.addEventListener('click', () => finish(value));
                buttons.append(button);
            }
            // Escape answers いいえ, or closes a message.
            dialog.addEventListener('cancel', (event) => {
                event.preventDefault();
                finish(!question);
            });
            // Centred on what the screen shows, also when the page is zoomed in with two fingers.
            const place = () => {
                const vv = visualViewport;
                if (!vv) return;
                dialog.style.maxWidth = `${Math.max(200, vv.width - 16)}px`;
                dialog.style.left = `${vv.offsetLeft + Math.max(8, (vv.width - dialog.offsetWidth) / 2)}px`;
                dialog.style.top = `${vv.offsetTop + Math.max(8, (vv.height - dialog.offsetHeight) / 2)}px`;
            };
            document.body.append(dialog);
            this.dialog = dialog;
            dialog.showModal();
            place();
            visualViewport?.addEventListener('resize', place);
            visualViewport?.addEventListener('scroll', place);
            buttons.firstChild.focus();
        });
    }

    end() {
        sessionStorage.removeItem(JOURNAL);
        history.replaceState(null, '', location.pathname + location.search);
        for (const panel of this.panels) panel.hidden = true;
        document.querySelector('.desktop').hidden = true;
        const note = document.createElement('p');
        note.className = 'ended';
        note.textContent = this.texts.ended;
        document.body.append(note);
        document.documentElement.dataset.state = 'ended';
    }

    // --- Keeping what the student did across a reload, and the table in the address -------------

    journal(action) {
        if (document.documentElement.dataset.state === 'ended') return;
        try {
            const actions = JSON.parse(sessionStorage.getItem(JOURNAL) ?? '[]');
            const last = actions.at(-1);
            // Typing into the same box again replaces what the box held.
            if (action[0] === 'type' && last && last[0] === 'type' && last[1] === action[1]) actions.pop();
            actions.push(action);
            sessionStorage.setItem(JOURNAL, JSON.stringify(actions));
        } catch {
            // A full or refused storage costs only the restoring after a reload.
        }
    }

    // The size and the cells shown, in the address's fragment: never sent to a server.
    remember() {
        const main = this.panels[0];
        const shownCount = (group, max) => [...Array(max).keys()].filter((k) => !this.node(0, `${group}(${k})`).hidden).length;
        const rows = shownCount('Gyolab', 4);
        const columns = shownCount('Retlab', 5);
        if (main.hidden || !rows || !columns) return;
        const fragment = [...Array(rows).keys()].map((i) => `r${i + 1}=${[...Array(columns).keys()]
            .map((j) => encodeURIComponent(textOf(this.node(0, `mat1(${5 * i + j})`)))).join(',')}`).join('&');
        if (location.hash !== `#${fragment}`) history.replaceState(history.state, '', `#${fragment}`);
    }

    // --- Printing: every window shown, each text whole ---------------------------------------

    beforePrint() {
        const keep = (node, property, value) => {
            node.dataset.printed = '';
            node.style[property] = value;
        };
        // Measured at the paper's scale, one layout pixel a pixel.
        document.documentElement.classList.add('printing');
        for (const panel of this.panels) {
            if (panel.hidden) continue;
            const client = panel.querySelector('.client');
            for (const area of client.querySelectorAll('textarea.textarea')) {
                const whole = Object.assign(document.createElement('div'), { className: 'print-text control', textContent: area.value });
                Object.assign(whole.style, { left: `${area.offsetLeft}px`, top: `${area.offsetTop}px`, width: `${area.offsetWidth}px` });
                area.after(whole);
                const extra = Math.max(0, whole.offsetHeight - area.offsetHeight);
                // The frame around the text and the window grow; whatever stands below moves down.
                const bottom = area.getBoundingClientRect().bottom;
                const frame = area.closest('fieldset');
                for (const node of client.querySelectorAll(':scope > .control')) {
                    if (node === frame) keep(node, 'height', `${node.offsetHeight + extra}px`);
                    else if (node.getBoundingClientRect().top >= bottom - 1) keep(node, 'top', `${node.offsetTop + extra}px`);
                }
                keep(client, 'height', `${client.offsetHeight + extra}px`);
            }
        }
    }

    afterPrint() {
        document.documentElement.classList.remove('printing');
        for (const whole of document.querySelectorAll('.print-text')) whole.remove();
        for (const node of document.querySelectorAll('[data-printed]')) {
            node.removeAttribute('style');
            delete node.dataset.printed;
        }
    }

    // --- Start ------------------------------------------------------------------------------

    // The core has loaded: what the tab did before a reload comes back, or else the table in the
    // address; then whatever the student did while the core was loading. The page shows the core's
    // first state already, written in when the site was built: only a state that replayed actions
    // changed needs showing.
    attach(core) {
        this.core = core;
        const actions = (() => {
            try {
                return JSON.parse(sessionStorage.getItem(JOURNAL) ?? 'null');
            } catch {
                return null;
            }
        })();
        let replayed = false;
        if (actions) {
            for (const [kind, ...args] of actions) {
                if (kind === 'close') core.close(args[0]);
                else if (kind === 'answer') core.answer(args[0]);
                else core[kind](...args);
                replayed = true;
            }
        } else {
            for (const action of tableInAddress(location.hash)) {
                action(core);
                replayed = true;
            }
            if (location.hash) this.journalAll(core);
        }
        if (replayed) {
            const view = this.view();
            this.render(view);
            if (view.exited) this.end();
            else if (view.question) this.perform(() => {});  // a question still open when the tab was reloaded
        }
        this.playWaiting();
    }

    // The actions that set up the table from the address, kept so that a reload finds them.
    journalAll(core) {
        const view = JSON.parse(core.view());
        const text = (name) => view.windows[0].controls[this.index[0].get(name)].text;
        this.journal(['type', 'Text12', text('Text12')]);
        this.journal(['type', 'Text13', text('Text13')]);
        this.journal(['press', 'Command1']);
        for (let k = 0; k < 20; ++k) this.journal(['type', `mat1(${k})`, text(`mat1(${k})`)]);
    }

    playWaiting() {
        while (this.waiting.length && !this.busy && this.core) {
            const [action, options] = this.waiting.shift();
            if (options.typing) {
                action(this.core);
                this.journal(options.record);
                this.render(this.view());
                this.remember();
            } else {
                this.perform(action, options);
            }
        }
    }
}

const escapeHtml = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

// A PNG of the picture at twice its size, on white.
function pictureImage(svg) {
    return new Promise((resolve, reject) => {
        const image = new Image();
        const url = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
        image.onload = () => {
            const canvas = Object.assign(document.createElement('canvas'), { width: 2 * image.width, height: 2 * image.height });
            const context = canvas.getContext('2d');
            context.fillStyle = '#fff';
            context.fillRect(0, 0, canvas.width, canvas.height);
            context.drawImage(image, 0, 0, canvas.width, canvas.height);
            URL.revokeObjectURL(url);
            canvas.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('no image'))), 'image/png');
        };
        image.onerror = () => reject(new Error('no image'));
        image.src = url;
    });
}

// The table an address carries: "#r1=30,10&r2=10,30", a row a key, cells by commas, each
// cell's text encoded as a URI component. The size is typed and confirmed, the cells typed in;
// nothing else. An address that is no such table gives nothing.
export function tableInAddress(hash) {
    const rows = [];
    for (const part of hash.replace(/^#/, '').split('&')) {
        const match = /^r([1-4])=(.*)$/.exec(part);
        if (!match || Number(match[1]) !== rows.length + 1) return [];
        try {
            rows.push(match[2].split(',').map((cell) => decodeURIComponent(cell)));
        } catch {
            return [];
        }
    }
    const columns = Math.max(0, ...rows.map((row) => row.length));
    if (rows.length < 1 || columns < 2 || columns > 5) return [];
    const actions = [(core) => core.type('Text12', String(rows.length)), (core) => core.type('Text13', String(columns)),
        (core) => core.press('Command1')];
    rows.forEach((row, i) => {
        for (let j = 0; j < columns; ++j) actions.push((core) => core.type(`mat1(${5 * i + j})`, row[j] ?? ''));
    });
    return actions;
}

function showFailure(title, text) {
    document.querySelector('.desktop')?.remove();
    const overlay = Object.assign(document.createElement('div'), { className: 'failure' });
    const frame = Object.assign(document.createElement('div'), { className: 'dialog-frame' });
    frame.setAttribute('role', 'alert');
    const bar = Object.assign(document.createElement('div'), { className: 'title-bar' });
    bar.append(Object.assign(document.createElement('span'), { className: 'title', textContent: title }));
    frame.append(bar, Object.assign(document.createElement('div'), { className: 'dialog-text', textContent: text }));
    overlay.append(frame);
    document.body.append(overlay);
    document.documentElement.dataset.state = 'failed';
}

// Starts the program: the windows written into the page take input at once; then, once the core
// (`module`, its compiled WebAssembly module or a promise of it) and the two table files (`tables`,
// by name: their bytes or null, or promises of them) have loaded, the windows show the core's
// state (or the start-up message and nothing else).
export async function start({ module, tables }) {
    const page = new Page();
    window.tomokari = page;
    const core = await instantiateCore(module);
    const files = {};
    for (const [name, bytes] of Object.entries(tables)) files[name] = await bytes;
    const { program, failure } = core.start(files, decodeURIComponent(new URL('.', location.href).pathname));
    if (failure) {
        showFailure(page.texts.programTitle, failure);
        return;
    }
    page.attach(program);
    if (document.documentElement.dataset.state !== 'ended') document.documentElement.dataset.state = 'ready';
    performance.mark('tomokari-ready');
    setTimeout(() => program.prepare());
}
