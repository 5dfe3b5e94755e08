// tomokari-web-script: plays a script of user actions against the browser edition in headless
// Chromium, clicking and typing on the page as a user would, and prints what the page shows as
// the same JSON as the desktop's scripted runner.
//   node tomokari_web_script.mjs SITE_DIR [SCRIPT | -]
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';
import { launch, serve, started } from './browser.mjs';

const NAME = 'tomokari-web-script';

class ScriptError extends Error {}

// \t, \n, \r and \\ stand for a tab, a line feed, a carriage return and a backslash.
const unescape = (text) => text.replace(/\\([tnr\\])/g, (_, c) => ({ t: '\t', n: '\n', r: '\r', '\\': '\\' })[c]);

// JSON as the desktop runner writes it: keys in sorted order, no blanks.
function json(value) {
    if (Array.isArray(value)) return `[${value.map(json).join(',')}]`;
    if (value && typeof value === 'object') {
        return `{${Object.keys(value).sort().map((key) => `${JSON.stringify(key)}:${json(value[key])}`).join(',')}}`;
    }
    return JSON.stringify(value);
}

const quoted = (text) => `"${text.replace(/[\\"]/g, '\\$&')}"`;
const panelOf = (window) => `section.panel[data-window=${quoted(window)}]`;
const controlOf = (window, name) => `${panelOf(window)} [data-name=${quoted(name)}]`;

class Runner {
    constructor(page, phone) {
        this.page = page;
        this.phone = phone;
        this.answers = [];
        this.questions = [];
        this.messages = [];
        this.output = '';
    }

    async run(line) {
        const blank = line.indexOf(' ');
        const command = blank < 0 ? line : line.slice(0, blank);
        const rest = blank < 0 ? '' : line.slice(blank + 1);
        if (command === 'type' || command === 'paste') {
            await this.type(rest, command === 'paste');
        } else if (command === 'copy') {
            await this.copy(rest);
        } else if (command === 'click') {
            await this.click(rest);
        } else if (command === 'menu') {
            await this.menu(rest);
        } else if (command === 'answer') {
            if (rest !== 'yes' && rest !== 'no') throw new ScriptError('answer takes yes or no');
            this.answers.push(rest === 'yes');
        } else if (command === 'close') {
            await this.close(rest);
        } else if (command === 'dump') {
            if (rest !== '') throw new ScriptError('dump takes no argument');
            await this.dump();
        } else {
            throw new ScriptError('unknown command');
        }
        await this.answerBoxes();
    }

    // The control's kind (null when the window has no control of that name), whether the
    // program has ended, whether the control is on the screen and where its middle is.
    find(selector) {
        return this.page.evaluate(([s, phone]) => {
            const node = document.querySelector(s);
            // On a phone the thumb scrolls it into view first.
            if (phone && node?.checkVisibility()) node.scrollIntoView({ block: 'center', inline: 'center', behavior: 'instant' });
            const box = node?.getBoundingClientRect();
            return { kind: node?.dataset.kind ?? null, exited: document.documentElement.dataset.state === 'ended',
                visible: node !== null && node.checkVisibility(), x: box?.x + box?.width / 2, y: box?.y + box?.height / 2 };
        }, [selector, this.phone]);
    }

    // A click of the mouse in the middle of what the selector finds, as a user clicks; on a phone
    // a tap there, once it is scrolled into view as a thumb would.
    async press(selector, found) {
        const { x, y } = found ?? await this.find(selector);
        if (this.phone) await this.page.touchscreen.tap(x, y);
        else await this.page.mouse.click(x, y);
    }

    async type(rest, paste) {
        const blank = rest.indexOf(' ');
        const name = blank < 0 ? rest : rest.slice(0, blank);
        const text = blank < 0 ? '' : unescape(rest.slice(blank + 1));
        const found = await this.find(controlOf('Form4', name));
        if (found.kind !== 'input') throw new ScriptError(`unknown input box: ${name}`);
        if (found.exited) return;
        const selector = controlOf('Form4', name);
        if (paste) await this.page.evaluate((t) => navigator.clipboard.writeText(t), text);
        if (found.visible) {
            await this.press(selector, found);
            await this.page.keyboard.press('Control+A');
            if (paste) await this.page.keyboard.press('Control+V');
            else if (text) await this.page.keyboard.insertText(text);
            else await this.page.keyboard.press('Delete');
            return;
        }
        // A hidden box takes what a script puts there as the program's own box would.
        await this.page.evaluate(([s, t, isPaste]) => {
            const node = document.querySelector(s);
            if (isPaste) {
                const data = new DataTransfer();
                data.setData('text/plain', t);
                node.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
            } else {
                node.textContent = t;
                node.dispatchEvent(new Event('input', { bubbles: true }));
            }
        }, [selector, text, paste]);
    }

    async copy(window) {
        const found = await this.find(panelOf(window));
        if (!found.kind) throw new ScriptError(`unknown window: ${window}`);
        if (found.exited) return;
        if (found.visible) {
            // The focus in that window with nothing selected, then the keyboard's copy.
            await this.page.evaluate((s) => {
                const node = document.querySelector(s);
                const focus = node.contains(document.activeElement) ? document.activeElement : node;
                if (typeof focus.selectionStart === 'number') focus.setSelectionRange(0, 0);
                document.getSelection().removeAllRanges();
                focus.focus();
            }, panelOf(window));
            await this.page.keyboard.press('Control+C');
            return;
        }
        const text = await this.page.evaluate((s) => {
            const node = document.querySelector(s);
            const data = new DataTransfer();
            node.dispatchEvent(new ClipboardEvent('copy', { clipboardData: data, bubbles: true, cancelable: true }));
            return data.getData('text/plain');
        }, panelOf(window));
        await this.page.evaluate((t) => navigator.clipboard.writeText(t), text);
    }

    async click(name) {
        const found = await this.find(controlOf('Form4', name));
        if (!name.startsWith('Command') || found.kind !== 'button') throw new ScriptError(`unknown button: ${name}`);
        if (found.exited) return;
        if (!found.visible) throw new ScriptError(`hidden button: ${name}`);
        await this.press(controlOf('Form4', name), found);
    }

    async menu(name) {
        const found = await this.find(controlOf('Form4', name));
        if (found.kind !== 'item' && found.kind !== 'command') throw new ScriptError(`unknown menu item: ${name}`);
        if (found.exited) return;
        if (found.kind === 'item') await this.press(`${panelOf('Form4')} .menu-group:has([data-name=${quoted(name)}]) > button`);
        await this.press(controlOf('Form4', name), found.kind === 'command' ? found : undefined);
    }

    async close(window) {
        const found = await this.find(panelOf(window));
        if (!found.kind) throw new ScriptError(`unknown window: ${window}`);
        if (found.exited) return;
        const button = `${panelOf(window)} .title-bar .close`;
        if (found.visible) await this.press(button);
        else await this.page.evaluate((s) => document.querySelector(s).click(), button);  // closing a closed window: nothing
    }

    // Answers the questions from the queue and closes each message, as a user pressing OK.
    async answerBoxes() {
        for (;;) {
            const box = await this.page.evaluate(() => {
                const open = document.querySelector('.dialog[data-kind]');
                return open && { kind: open.dataset.kind, caption: open.dataset.caption,
                    text: open.querySelector('.dialog-text').textContent };
            });
            if (!box) return;
            let answer = 'ok';
            if (box.kind === 'question') {
                if (this.answers.length === 0) throw new ScriptError(`unanswered question: ${box.text}`);
                answer = this.answers.shift() ? 'yes' : 'no';
                this.questions.push({ caption: box.caption, text: box.text, answer });
            } else {
                this.messages.push({ caption: box.caption, text: box.text });
            }
            await this.press(`.dialog [data-answer=${answer}]`);
        }
    }

    async dump() {
        const state = await this.page.evaluate(() => {
            const exited = document.documentElement.dataset.state === 'ended';
            const textOf = (node) => {
                if (node.dataset.kind === 'frame') return node.querySelector('legend').textContent;
                return node.tagName === 'TEXTAREA' || node.tagName === 'INPUT' ? node.value : node.textContent;
            };
            const windows = {};
            for (const panel of document.querySelectorAll('section.panel')) {
                const controls = {};
                for (const node of panel.querySelectorAll('[data-name]')) {
                    let visible = true;
                    for (let n = node; n !== panel; n = n.parentElement) visible &&= !n.hidden;
                    controls[node.dataset.name] = node.dataset.kind === 'line' ? { visible } : { text: textOf(node), visible };
                }
                windows[panel.dataset.window] = {
                    shown: !exited && !panel.hidden,
                    title: panel.querySelector('.title-bar .title').textContent,
                    controls,
                };
            }
            return { exited, windows };
        });
        const clipboard = await this.page.evaluate(() => navigator.clipboard.readText());
        this.output += `${json({ ...state, questions: this.questions, messages: this.messages, clipboard })}\n`;
    }
}

// A script's bytes as the desktop runner reads them: a byte-order mark at the start goes, and a
// byte that starts no valid UTF-8 sequence becomes one U+FFFD, decoding going on at the next byte.
export function decodeScript(bytes) {
    let text = '';
    let at = bytes[0] === 0xEF && bytes[1] === 0xBB && bytes[2] === 0xBF ? 3 : 0;
    while (at < bytes.length) {
        const lead = bytes[at];
        const length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
        let code = length === 1 ? lead : lead & (0xFF >> (length + 1));
        let valid = length > 0 && at + length <= bytes.length;
        for (let k = 1; valid && k < length; ++k) {
            valid = (bytes[at + k] & 0xC0) === 0x80;
            code = (code << 6) | (bytes[at + k] & 0x3F);
        }
        const least = [0, 0, 0x80, 0x800, 0x10000][length];
        valid &&= code >= least && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        text += valid ? String.fromCodePoint(code) : '\uFFFD';
        at += valid ? length : 1;
    }
    return text;
}

// Blank as the desktop runner sees it: Unicode's separators and the control characters of white
// space (U+0085 among them), but not U+FEFF, which JavaScript's trim() would take too.
const blank = (line) => /^[\t\n\v\f\r \u0085\u00A0\u1680\u2000-\u200A\u2028\u2029\u202F\u205F\u3000]*$/.test(line);

// Plays a script's text on a page that has started; resolves to the exit status, the dumps
// and the error line as the runner prints them. `phone` taps where a laptop clicks.
export async function play(page, text, phone = false) {
    const runner = new Runner(page, phone);
    for (const [n, raw] of text.split('\n').entries()) {
        const line = raw.endsWith('\r') ? raw.slice(0, -1) : raw;
        if (blank(line) || line.startsWith('#')) continue;
        try {
            await runner.run(line);
        } catch (error) {
            if (!(error instanceof ScriptError)) throw error;
            return { status: 2, output: runner.output, error: `${NAME}: line ${n + 1}: ${error.message}: ${line}\n` };
        }
    }
    return { status: 0, output: runner.output, error: '' };
}

// The devices the runner plays on: a laptop, or a phone with a touch screen.
export const DEVICES = {
    laptop: { viewport: { width: 1280, height: 800 } },
    // Set to reduce motion, so that a step's window is in view at once and a tap never lands
    // on a page still scrolling.
    phone: { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3, reducedMotion: 'reduce' },
};

// Opens the page served at `url` in a new context whose clipboard the page may use; resolves
// to the page and how it started ('ready' or 'failed').
export async function open(browser, url, device = 'laptop', options = {}) {
    const context = await browser.newContext({ ...DEVICES[device], ...options });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    page.setDefaultTimeout(10000);
    return { page, state: await restart(page, url) };
}

// Starts the program afresh on a page opened before: nothing kept of what the tab did, an empty
// clipboard. Resolves to how it started.
export async function restart(page, url) {
    if (page.url().startsWith('http')) await page.evaluate(() => sessionStorage.clear());
    await page.goto(url);
    const state = await started(page);
    await page.evaluate(() => navigator.clipboard.writeText('').catch(() => {}));
    return state;
}

function readScript(argument) {
    try {
        return decodeScript(readFileSync(argument === undefined || argument === '-' ? 0 : argument));
    } catch {
        process.stderr.write(`${NAME}: cannot read the script ${argument ?? '-'}\n`);
        process.exit(2);
    }
}

async function main() {
    const [site, scriptFile] = process.argv.slice(2);
    const text = readScript(scriptFile);
    const device = process.env.TOMOKARI_WEB_DEVICE === 'phone' ? 'phone' : 'laptop';
    const server = await serve(site);
    const browser = await launch();
    try {
        const { page, state } = await open(browser, server.url, device);
        if (state === 'failed') {
            const message = await page.textContent('.failure .dialog-text');
            process.stderr.write(`${NAME}: ${message.replace(/\n/g, ' ')}\n`);
            return 1;
        }
        const result = await play(page, text, device === 'phone');
        process.stdout.write(result.output);
        process.stderr.write(result.error);
        return result.status;
    } finally {
        await browser.close();
        await server.close();
    }
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) process.exitCode = await main();
