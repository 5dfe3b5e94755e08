// The workflow core driven by any sequence of user actions, checked after each: every text shown is showable,
// every window's grid shows the same rows and columns, hidden boxes of the other windows keep their text, a box
// keeps what was typed up to its limit and never a split character, and after a new size or new totals no residual
// or power figure is shown until a test. Input, actions of two bytes, any other pair skipped: "t" box, then the
// text and "|", types into a box, "r" types the text repeated beyond a box's limit, "v" pastes it there ('a'
// Text12, 'b' Text13, 'c'.. mat1(0)..), "p" n presses Command<n>, "m" k chooses menu item k ('a'..'l'), "x" w
// closes window w ('0'..'2'), "ay" and "an" answer the question yes or no.

#include <cstdint>

#include "engine/workflow.h"
#include "fuzz/workflow_rules.h"

using namespace tomokari;
using namespace tomokari::fuzz;

static constexpr const char* kMenuItems[] = {"tsukaikata", "setsumei_hyouji", "setsumei_modoru", "tekigoudo",
    "dokuritsusei", "zansabunseki", "Yates", "Fisher", "setsumei_modoru2", "kenteiryoku", "modoruken", "owari"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TableLoadResult loaded = loadReferenceTables(TOMOKARI_DATA_DIR);
    require(loaded.tables.has_value(), "the shipped tables load");
    Workflow flow(*loaded.tables);
    WorkflowRules rules;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
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
        const std::string name = box < 2 ? (box ? "Text13" : "Text12") : indexedName("mat1", box - 2);
        const std::string button = "Command" + std::to_string((arg - '1') % 8 + 1);
        if (withText) require(op == 'v' ? flow.paste(name, text) : flow.type(name, text), "a box");
        else if (op == 'p') require(flow.press(button), "a button");
        else if (op == 'm') require(flow.choose(kMenuItems[(arg - 'a') % std::size(kMenuItems)]), "a menu item");
        else if (op == 'x') flow.close(static_cast<WindowId>(arg % kWindowCount));
        else if (op == 'a' && before.question) flow.answer(arg == 'y');  // only a question that is shown
        else continue;
        rules.check(flow, before, op == 'p' ? button : "", op == 't' || op == 'r' ? name : "", text);
    }
    return 0;
}
