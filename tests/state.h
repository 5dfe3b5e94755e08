#pragma once
// What the program shows at a dump, as the scripted runner prints it, and the readable lines in
// which the recorded scripts keep it: one fact a line, only what changed since the dump before.
//
//   Form4 shown / Form4 not shown          a window open on the screen or not
//   Form4 title "トモカリ ポルテノ"          its title (in the start-up state only)
//   Form4 Text12 = "2"                     a control's text (JSON escapes)
//   Form4 Command8 visible / hidden        a control's own visibility
//   Figure values {"chi2":20,…}            the numbers the picture window draws (JSON)
//   question "caption" "text" yes|no       a question asked, with its answer
//   message "caption" "text"               a message shown
//   clipboard "…"                          the clipboard's text
//   exited                                 the program has ended

#include <string>
#include <string_view>
#include <vector>

namespace tomokari {

struct ControlFact {
    std::string name;
    bool hasText = true;  // a line has none
    std::string text;
    bool visible = true;

    bool operator==(const ControlFact&) const = default;
};

struct WindowFact {
    std::string name;
    std::string title;
    bool shown = false;
    std::vector<ControlFact> controls;  // in the program's order
    std::string values;                 // the picture window's numbers as JSON; empty for the others

    bool operator==(const WindowFact&) const = default;
};

struct BoxFact {  // a question or a message
    std::string caption, text, answer;  // answer "yes" or "no"; empty for a message

    bool operator==(const BoxFact&) const = default;
};

struct State {
    bool exited = false;
    std::vector<WindowFact> windows;  // Form4, Form3, Form1, Figure
    std::vector<BoxFact> questions, messages;
    std::string clipboard;

    bool operator==(const State&) const = default;
};

// The lines that turn `before` into `after`; every fact of `after` when `whole`.
std::vector<std::string> changeLines(const State& before, const State& after, bool whole = false);

// The state as the scripted runner prints it: one line of JSON, keys sorted.
std::string stateJson(const State& state);

// Calls each(line) for the lines of `text`, a line feed ending each (the last may have none).
template <typename Each>
void forEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        each(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

}  // namespace tomokari
