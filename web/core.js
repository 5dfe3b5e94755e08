// The workflow core as JavaScript calls it, in the page and when the site is built: its WebAssembly
// module (core_bindings.cpp) takes and gives UTF-8 texts through a few exported functions; this
// wraps them as an object with a method for each action.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The core of a compiled module (a WebAssembly.Module or a promise of one).
export async function instantiateCore(module) {
    let memory;
    // All that the module asks of its host: it grows its memory itself, finds no environment
    // variables, and stops only on a fault.
    const imports = {
        env: { emscripten_notify_memory_growth() {} },
        wasi_snapshot_preview1: {
            environ_sizes_get(count, size) {
                const words = new DataView(memory.buffer);
                words.setUint32(count, 0, true);
                words.setUint32(size, 0, true);
                return 0;
            },
            environ_get: () => 0,
            proc_exit(status) { throw new Error(`the core stopped (${status})`); },
        },
    };
    const { exports } = await WebAssembly.instantiate(await module, imports);
    ({ memory } = exports);
    exports._initialize();
    const heap = () => new Uint8Array(memory.buffer);
    // Calls `fn` with the byte lengths of `texts` (strings, byte arrays, or null: -1) and then `numbers`,
    // the texts written one after another where the core reads them.
    const call = (fn, texts, ...numbers) => {
        const encoded = texts.map((text) => (typeof text === 'string' ? encoder.encode(text) : text));
        let at = exports.tomokari_arguments(encoded.reduce((sum, bytes) => sum + (bytes?.length ?? 0), 0));
        const into = heap();
        const lengths = encoded.map((bytes) => {
            if (!bytes) return -1;
            into.set(bytes, at);
            at += bytes.length;
            return bytes.length;
        });
        return fn(...lengths, ...numbers);
    };
    // The text a call gave back, `length` bytes long.
    const text = (length) => {
        const at = exports.tomokari_result();
        return decoder.decode(heap().subarray(at, at + length));
    };
    const program = {
        type: (box, typed) => text(call(exports.tomokari_type, [box, typed])),
        paste: (box, pasted) => call(exports.tomokari_paste, [box, pasted]) !== 0,
        press: (button) => call(exports.tomokari_press, [button]) !== 0,
        choose: (item) => call(exports.tomokari_choose, [item]) !== 0,
        close: (window) => exports.tomokari_close(window),
        answer: (yes) => exports.tomokari_answer(yes ? 1 : 0),
        copyTable: (window) => text(exports.tomokari_copy_table(window)),
        view: () => text(exports.tomokari_view()),
        // Does now what the first action would otherwise wait for.
        prepare: () => exports.tomokari_prepare(),
    };
    return {
        // Every window's layout, the keyboard order and the page's own texts, as JSON.
        layouts: () => text(exports.tomokari_layouts()),
        // Starts the program on the two table files ({name: their bytes, or null for a file that
        // could not be had}) from `directory`, as the start-up message names it: the program, and
        // its start-up message, empty when it runs.
        start(files, directory) {
            const failure = text(call(exports.tomokari_start, [files['chi2prob.dat'], files['power06.dat'], directory]));
            return { program, failure };
        },
    };
}
