#pragma once
// The rules the workflow core keeps after any user action, for the fuzz target and the live random
// sequences of the tests: every text shown is showable, every window's grid shows the same rows and
// columns, hidden boxes of the other windows keep their text, a box keeps what was typed up to its
// limit and never a split character, and after a new size or new totals no residual or power
// figure, and no picture, is shown until a test.

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/workflow.h"
#include "fuzz/fuzz_checks.h"

namespace tomokari::fuzz {

inline void checkView(const Workflow& flow, const ViewState& before) {
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
    require(isShowable(view.picture) && isShowable(view.pictureValues), "the picture is showable", view.pictureValues);
}

inline std::size_t characters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// A box keeps the start of what was typed: all of it that fits, else whole characters up to its limit,
// cut neither inside a code point nor inside a CR LF pair, before a combining mark, a variation
// selector or U+200D, or after U+200D.
inline void checkTyped(const std::string& typed, const std::string& kept) {
    require(typed.starts_with(kept), "a box keeps the start of what was typed", kept);
    require(characters(typed) <= kInputBoxCharacters ? kept == typed : characters(kept) <= kInputBoxCharacters, "a box keeps all it can hold");
    require(!isValidUtf8(typed) || isValidUtf8(kept), "no character is split", kept);
    const std::string_view next = std::string_view(typed).substr(kept.size());
    const bool joined = (kept.ends_with('\r') && next.starts_with('\n')) || kept.ends_with("\u200D") || next.starts_with("\u200D") ||
                        next.starts_with("\uFE0F") || next.starts_with("\u0301");
    require(kept == typed || !joined, "no character is split as the user sees it", kept);
}

// From a new size or new totals until the next test, neither residuals nor the power step are there,
// nor a picture or any number of one.
inline void checkNoTestResults(const Workflow& flow) {
    require(!flow.view().windows[static_cast<std::size_t>(WindowId::Residuals)].shown, "no residuals before a test");
    require(!flow.view().windows[static_cast<std::size_t>(WindowId::Figure)].shown, "no picture before a test");
    require(flow.view().picture.empty() && flow.view().pictureValues == figureValuesJson({}), "no picture's numbers before a test");
    require(!flow.control(WindowId::Main, "Command3").visible, "no residual step before a test");
    require(!flow.control(WindowId::Main, "Command8").visible, "no power step before a test");
}


// Checks the rules after each action; remembers what the rules about a test depend on.
class WorkflowRules {
public:
    // After an action on `flow`, which showed `before`: `button` the button it pressed, `box` the
    // box it typed `typed` into (empty names for other actions).
    void check(const Workflow& flow, const ViewState& before, std::string_view button, std::string_view box,
               const std::string& typed) {
        checkView(flow, before);
        const bool acting = !before.exited && !before.question;
        if (acting && !box.empty()) checkTyped(typed, flow.control(WindowId::Main, box).text);
        if (acting && (button == "Command1" || button == "Command7")) awaitingTest_ = true;
        if (acting && button == "Command5") awaitingTest_ = false;
        if (awaitingTest_) checkNoTestResults(flow);
    }

private:
    bool awaitingTest_ = false;
};

}  // namespace tomokari::fuzz
