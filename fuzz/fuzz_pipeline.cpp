// The workflow core driven by any sequence of user actions, checked after each: every text shown is showable,
// every window's grid shows the same rows and columns, hidden boxes of the other windows keep their text, a box
// keeps what was typed up to its limit and never a split character, and after a new size or new totals no residual
// or power figure is shown until a test. Input, actions of two bytes, any other pair skipped: "t" box, then the
// text and "|", types into a box, "r" types the text repeated beyond a box's limit, "v" pastes it there ('a'
// Text12, 'b' Text13, 'c'.. mat1(0)..), "p" n presses Command<n>, "m" k chooses menu item k ('a'..'l'), "x" w
// closes window w ('0'..'2'), "ay" and "an" answer the question yes or no.

#include <algorithm>
#include <cstdint>

#include "engine/workflow.h"
#include "fuzz/fuzz_checks.h"

using namespace tomokari;
using namespace tomokari::fuzz;

static constexpr const char* kMenuItems[] = {"tsukaikata", "setsumei_hyouji", "setsumei_modoru", "tekigoudo",
    "dokuritsusei", "zansabunseki", "Yates", "Fisher", "setsumei_modoru2", "kenteiryoku", "modoruken", "owari"};

static void check(const Workflow& flow, const ViewState& before) {
    const ViewState& view = flow.view();
    int rows = 0, columns = 0;  // as the main window shows them
    while (rows < kMaxRows && flow.control(WindowId::Main, indexedName("Gyolab", rows)).visible) ++rows;
    while (columns < kMaxColumns && flow.control(WindowId::Main, indexedName("Retlab", columns)).visible) ++columns;
    for (int w = 0; w < kWindowCount; ++w) {
        const std::vector<ControlState>&now = view.windows[w].controls, &old = before.windows[w].controls;
        for (std::size_t k = 0; k < now.size(); ++k) {
            const std::string& name = windowLayouts()[w].controls[k].name;
            // Only changed texts are checked (the rest were before); the main window's input boxes hold what was typed.
            const bool typed = w == 0 && windowLayouts()[w].controls[k].kind == ControlKind::InputBox;
            require(typed || now[k].text == old[k].text || isShowable(now[k].text), "texts are showable", now[k].text);
            require(w == 0 || now[k].visible || now[k].text == old[k].text, "a hidden box is not written", name);
            // Headings and cells show the shape exactly; total boxes may be hidden in it.
            const std::string_view group = std::string_view(name).substr(0, name.find('('));
            const int i = group.size() < name.size() ? std::stoi(name.substr(group.size() + 1)) : 0;
            const bool total = group == "Ikei" || group == "Jkei";
            const bool inShape = group == "mat1" ? i / kMaxColumns < rows && i % kMaxColumns < columns
                                 : group == "Gyolab" || group == "Ikei" ? i < rows : i < columns;
            if (total || group == "mat1" || group == "Gyolab" || group == "Retlab")
                require(now[k].visible ? inShape : !inShape || total, "the grid is one shape", name);
        }
    }
    for (const Prompt& prompt : view.messages) require(isShowable(prompt.text), "messages are showable", prompt.text);
}

static std::size_t characters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// A box keeps the start of what was typed, whole characters up to its limit.
static void checkTyped(const std::string& typed, const std::string& kept) {
    require(typed.starts_with(kept), "a box keeps the start of what was typed", kept);
    require(characters(kept) == std::min(characters(typed), kInputBoxCharacters), "a box keeps all it can hold");
    require(!isValidUtf8(typed) || isValidUtf8(kept), "no character is split", kept);
}

// From a new size or new totals until the next test, neither residuals nor the power step are there.
static void checkNoTestResults(const Workflow& flow) {
    require(!flow.view().windows[static_cast<std::size_t>(WindowId::Residuals)].shown, "no residuals before a test");
    require(!flow.control(WindowId::Main, "Command3").visible, "no residual step before a test");
    require(!flow.control(WindowId::Main, "Command8").visible, "no power step before a test");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TableLoadResult loaded = loadReferenceTables(TOMOKARI_DATA_DIR);
    require(loaded.tables.has_value(), "the shipped tables load");
    Workflow flow(*loaded.tables);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    bool awaitingTest = false;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char op = input[i];
        const unsigned arg = data[i + 1];
        const bool withText = op == 't' || op == 'r' || op == 'v';
        std::string text(withText ? input.substr(i + 2, input.find('|', i + 2) - i - 2) : "");
        i += text.size() + withText;  // past the text and its '|'
        if (op == 'r') {
            const std::string piece = text.empty() ? "0" : text;
            text.clear();
            while (text.size() <= 4 * kInputBoxCharacters) text += piece;
        }
        const int box = static_cast<int>((arg - 'a') % (kCellCount + 2));
        const ViewState before = flow.view();
        const bool acting = !before.exited && !before.question;
        const std::string name = box < 2 ? (box ? "Text13" : "Text12") : indexedName("mat1", box - 2);
        const std::string button = "Command" + std::to_string((arg - '1') % 8 + 1);
        if (withText) require(op == 'v' ? flow.paste(name, text) : flow.type(name, text), "a box");
        else if (op == 'p') require(flow.press(button), "a button");
        else if (op == 'm') require(flow.choose(kMenuItems[(arg - 'a') % std::size(kMenuItems)]), "a menu item");
        else if (op == 'x') flow.close(static_cast<WindowId>(arg % kWindowCount));
        else if (op == 'a' && before.question) flow.answer(arg == 'y');  // only a question that is shown
        else continue;
        check(flow, before);
        if (acting && op != 'v' && withText) checkTyped(text, flow.control(WindowId::Main, name).text);
        if (acting && op == 'p' && (button == "Command1" || button == "Command7")) awaitingTest = true;
        if (acting && op == 'p' && button == "Command5") awaitingTest = false;
        if (awaitingTest) checkNoTestResults(flow);
    }
    return 0;
}
