#include "tests/random_script.h"

#include <random>

#include "tests/core_player.h"

namespace tomokari {

namespace {

// Texts a cell may get: frequencies, and what a student could type or paste by mistake (written
// with the script's escapes).
constexpr const char* kTexts[] = {
    "0", "1", "5", "12", "30", "45", "100", "-3", "2.5", "0.1", "1e39", "1e-45", "-0", "9999999999", "１２", "２．５",
    "－３", " 3 4", "", "　", "abc", "1,234", "\\t5", "7\\n", "3\\r4", "1e2", ".", "+8", "1.5e3", "３０",
};

}  // namespace

std::string randomScript(const ReferenceTables& tables, unsigned seed, int actions) {
    std::mt19937 random(seed);
    const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    const auto text = [&] {
        // Now and then a number of its own, mostly one of the texts above.
        return pick(4) == 0 ? std::to_string(pick(100)) : std::string(kTexts[pick(std::size(kTexts))]);
    };
    // Every menu item and every window, by the names the layout gives them.
    std::vector<std::string> menuItems, windows;
    for (const ControlLayout& c : windowLayout(WindowId::Main).controls) {
        if (c.kind == ControlKind::MenuItem || c.kind == ControlKind::MenuCommand) menuItems.push_back(c.name);
    }
    for (const WindowLayout& layout : windowLayouts()) windows.push_back(layout.name);
    const auto any = [&](const std::vector<std::string>& names) { return names[pick(static_cast<int>(names.size()))]; };
    CorePlayer player(tables);
    std::string script = "# seed " + std::to_string(seed) + "\n";
    for (int n = 0; n < actions && !player.workflow().view().exited; ++n) {
        std::string line;
        const int kind = pick(100);
        if (kind < 30) {
            line = "type " + indexedName("mat1", pick(kCellCount)) + " " + text();
        } else if (kind < 38) {
            line = std::string("type ") + (pick(2) ? "Text12 " : "Text13 ") + (pick(3) ? std::to_string(1 + pick(5)) : text());
        } else if (kind < 43) {
            line = "paste " + indexedName("mat1", pick(kCellCount)) + " " + text() + (pick(2) ? "\\t" + text() : "\\n" + text());
        } else if (kind < 68) {
            std::vector<std::string> shown;
            for (int k = 1; k <= 8; ++k) {
                const std::string button = "Command" + std::to_string(k);
                if (player.workflow().control(WindowId::Main, button).visible) shown.push_back(button);
            }
            line = "click " + any(shown);
        } else if (kind < 82) {
            line = "menu " + any(menuItems);
        } else {
            line = (kind < 88 ? "close " : "copy ") + any(windows);
        }
        // An action that asks a question gets its answer queued first.
        CorePlayer probe = player;
        probe.step(line);
        if (probe.workflow().view().question) {
            const std::string answer = pick(2) ? "answer yes" : "answer no";
            script += answer + "\n";
            player.step(answer);
        }
        script += line + "\n";
        player.step(line);
        if (pick(5) == 0) script += "dump\n";
    }
    return script + "dump\n";
}

}  // namespace tomokari
