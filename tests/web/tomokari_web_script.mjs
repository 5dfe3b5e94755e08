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

// A text that is JSON already: the numbers of the picture, as the core writes them.
class Raw {
    constructor(text) { this.text = text; }
}

// JSON as the desktop runner writes it: keys in sorted order, no blanks.
function json(value) {
    if (value instanceof Raw) return value.text;
    if (Array.isArray(value)) return `[${value.map(json).join(',')}]`;
    if (value && typeof value === 'object') {
        return `{${Object.keys(value).sort().map((key) => `${JSON.stringify(key)}:${json(value[key])}`).join(',')}}`;
    }
    return JSON.stringify(value);
}

const quoted = (text) => `"${text.replace(/[\\"]/g, '\\$&')}"`;
const panelOf = (window) => `section.panel[data-window=${quoted(window)}]`;
const controlOf = (window, name) => `${panelOf(window)} [data-name=${quoted(name)}]`;

// `HEAD REST` split at its first blank; REST is empty when there is none.
const atBlank = (text) => {
    const blank = text.indexOf(' ');
    return blank < 0 ? [text, ''] : [text.slice(0, blank), text.slice(blank + 1)];
};

// How a command's argument reads: a control and the text after the one blank that follows it,
// one name (blanks and all), or one of a few words.
const controlAndText = (rest) => {
    const [name, text] = atBlank(rest);
    return [name, unescape(text)];
};
const oneName = (rest) => [rest];
const oneOf = (words, error) => (rest) => {
    if (!words.includes(rest)) throw new ScriptError(error);
    return [rest];
};

// Each command: how its argument reads, what it acts on (a window, or a control of the main window
// of these kinds: another name is an error) and what it does there, unless the program has ended.
const COMMANDS = new Map(Object.entries({
    type: [controlAndText, ['input box', 'input'], (runner, box, text) => runner.type(box, text, false)],
    paste: [controlAndText, ['input box', 'input'], (runner, box, text) => runner.type(box, text, true)],
    click: [oneName, ['button', 'button'], (runner, button) => runner.click(button)],
    menu: [oneName, ['menu item', 'item', 'command'], (runner, item) => runner.menu(item)],
    close: [oneName, ['window', 'window'], (runner, window) => runner.close(window)],
    copy: [oneName, ['window', 'window'], (runner, window) => runner.copy(window)],
    answer: [oneOf(['yes', 'no'], 'answer takes yes or no'), null, (runner, answer) => runner.answers.push(answer === 'yes')],
    dump: [oneOf([''], 'dump takes no argument'), null, (runner) => runner.dump()],
}));

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
        const [command, rest] = atBlank(line);
        if (!COMMANDS.has(command)) throw new ScriptError('unknown command');
        const [read, on, act] = COMMANDS.get(command);
        const [word, text] = read(rest);
        const target = on ? await this.target(on, word) : word;
        if (!target.exited) await act(this, target, text);
        await this.answerBoxes();
    }

    // What a command acts on, found on the page, with where it is and whether the program has ended.
    async target([noun, ...kinds], name) {
        const selector = noun === 'window' ? panelOf(name) : controlOf('Form4', name);
        const found = { ...await this.find(selector), selector, name };
        if (!kinds.includes(found.kind)) throw new ScriptError(`unknown ${noun}: ${name}`);
        return found;
    }

    // The kind of control the selector finds (null: none), whether the program has ended, whether
    // the control is on the screen and where its middle is.
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

    // A click of the mouse in the middle of what was found, or of what a selector finds, as a user
    // clicks; on a phone a tap there, once it is scrolled into view as a thumb would.
    async press(target) {
        const { x, y } = typeof target === 'string' ? await this.find(target) : target;
        if (this.phone) await this.page.touchscreen.tap(x, y);
        else await this.page.mouse.click(x, y);
    }

    writeClipboard(text) {
        return this.page.evaluate((t) => navigator.clipboard.writeText(t), text);
    }

    async type(box, text, paste) {
        if (paste) await this.writeClipboard(text);
        if (box.visible) {
            await this.press(box);
            await this.page.keyboard.press('Control+A');
            if (paste) await this.page.keyboard.press('Control+V');
            else if (text) await this.page.keyboard.insertText(text);
            else await this.page.keyboard.press('Delete');
        } else if (paste) {
            await this.clipboardEvent(box.selector, 'paste', text);  // a hidden box takes it as the program's own would
        } else {
            await this.page.$eval(box.selector, (node, t) => {
                node.textContent = t;
                node.dispatchEvent(new Event('input', { bubbles: true }));
            }, text);
        }
    }

    async copy(window) {
        if (!window.visible) return this.writeClipboard(await this.clipboardEvent(window.selector, 'copy'));
        // The focus in that window with nothing selected, then the keyboard's copy.
        await this.page.$eval(window.selector, (node) => {
            const focus = node.contains(document.activeElement) ? document.activeElement : node;
            if (typeof focus.selectionStart === 'number') focus.setSelectionRange(0, 0);
            document.getSelection().removeAllRanges();
            focus.focus();
        });
        await this.page.keyboard.press('Control+C');
    }

    // The keyboard's copy or paste (of `text`) on what is not shown, as the page's own event;
    // resolves to the text the page puts on the clipboard.
    clipboardEvent(selector, type, text) {
        return this.page.evaluate(([s, kind, t]) => {
            const data = new DataTransfer();
            if (kind === 'paste') data.setData('text/plain', t);
            document.querySelector(s).dispatchEvent(new ClipboardEvent(kind, { clipboardData: data, bubbles: true, cancelable: true }));
            return data.getData('text/plain');
        }, [selector, type, text]);
    }

    async click(button) {
        if (!button.visible) throw new ScriptError(`hidden button: ${button.name}`);
        await this.press(button);
    }

    // An item is chosen from its opened menu; the one command stands on the menu bar.
    async menu(item) {
        if (item.kind === 'item') await this.press(`${panelOf('Form4')} .menu-group:has([data-name=${quoted(item.name)}]) > button`);
        await this.press(item.kind === 'command' ? item : item.selector);
    }

    async close(window) {
        const button = `${window.selector} .title-bar .close`;
        if (window.visible) await this.press(button);
        else await this.page.$eval(button, (node) => node.click());  // closing a closed window: nothing
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
                    const textless = node.dataset.kind === 'line' || node.dataset.kind === 'picture';
                    controls[node.dataset.name] = textless ? { visible } : { text: textOf(node), visible };
                }
                windows[panel.dataset.window] = {
                    shown: !exited && !panel.hidden,
                    title: panel.querySelector('.title-bar .title').textContent,
                    controls,
                    ...(panel.dataset.values === undefined ? {} : { values: panel.dataset.values }),
                };
            }
            return { exited, windows };
        });
        for (const window of Object.values(state.windows)) if (window.values !== undefined) window.values = new Raw(window.values);
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

// A new page on the device, in a context of its own whose clipboard the page may use.
export async function newPage(browser, device = 'laptop', options = {}) {
    const context = await browser.newContext({ ...DEVICES[device], ...options });
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    page.setDefaultTimeout(10000);
    return page;
}

// Opens the page served at `url` on a new page; resolves to the page and how it started ('ready'
// or 'failed').
export async function open(browser, url, device, options) {
    const page = await newPage(browser, device, options);
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
