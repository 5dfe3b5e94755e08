#include "tests/state.h"

#include <cstdlib>
#include <map>

#include "engine/json_text.h"

namespace tomokari {

namespace {

std::string boxLine(const char* kind, const BoxFact& box) {
    std::string line = std::string(kind) + " " + jsonString(box.caption) + " " + jsonString(box.text);
    return box.answer.empty() ? line : line + " " + box.answer;
}

// The words of a line up to its first quoted string, which is the rest.
std::vector<std::string_view> words(std::string_view& line) {
    std::vector<std::string_view> found;
    while (!line.empty() && line.front() != '"') {
        const size_t end = line.find(' ');
        found.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    }
    return found;
}

}  // namespace

std::vector<std::string> changeLines(const State& before, const State& after, bool whole) {
    std::vector<std::string> lines;
    if (after.exited && (whole || !before.exited)) lines.push_back("exited");
    for (size_t w = 0; w < after.windows.size(); ++w) {
        const WindowFact& now = after.windows[w];
        const WindowFact* was = !whole && w < before.windows.size() ? &before.windows[w] : nullptr;
        if (!was || was->title != now.title) lines.push_back(now.name + " title " + jsonString(now.title));
        if (!was || was->shown != now.shown) lines.push_back(now.name + (now.shown ? " shown" : " not shown"));
        for (size_t c = 0; c < now.controls.size(); ++c) {
            const ControlFact& control = now.controls[c];
            const ControlFact* old = was && c < was->controls.size() ? &was->controls[c] : nullptr;
            const std::string prefix = now.name + " " + control.name;
            if (control.hasText && (!old || old->text != control.text)) lines.push_back(prefix + " = " + jsonString(control.text));
            // The whole state names every control once: a line without text by its visibility.
            if (old ? old->visible != control.visible : !control.visible || !control.hasText) {
                lines.push_back(prefix + (control.visible ? " visible" : " hidden"));
            }
        }
    }
    for (size_t q = whole ? 0 : before.questions.size(); q < after.questions.size(); ++q) lines.push_back(boxLine("question", after.questions[q]));
    for (size_t m = whole ? 0 : before.messages.size(); m < after.messages.size(); ++m) lines.push_back(boxLine("message", after.messages[m]));
    if (whole || before.clipboard != after.clipboard) lines.push_back("clipboard " + jsonString(after.clipboard));
    return lines;
}

bool readJsonString(std::string_view text, std::string& value, std::string_view& rest) {
    if (text.empty() || text.front() != '"') return false;
    value.clear();
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            rest = text.substr(i + 1);
            if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            return true;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i >= text.size()) return false;
        const size_t short_ = std::string_view("\"\\nrtbf").find(text[i]);
        if (short_ != std::string_view::npos) {
            value += "\"\\\n\r\t\b\f"[short_];
        } else if (text[i] == 'u' && i + 4 < text.size()) {
            value += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 4)), nullptr, 16));  // only \u00XX is written
            i += 4;
        } else {
            return false;
        }
    }
    return false;
}

bool applyLine(State& state, std::string_view line) {
    std::string_view rest = line;
    const std::vector<std::string_view> head = words(rest);
    if (head.size() == 1 && head[0] == "exited" && rest.empty()) return state.exited = true;
    if (head.size() == 1 && head[0] == "clipboard") return readJsonString(rest, state.clipboard, rest) && rest.empty();
    if (head.size() == 1 && (head[0] == "question" || head[0] == "message")) {
        BoxFact box;
        if (!readJsonString(rest, box.caption, rest) || !readJsonString(rest, box.text, rest)) return false;
        box.answer = std::string(rest);
        const bool question = head[0] == "question";
        if (question != (box.answer == "yes" || box.answer == "no") || (!question && !box.answer.empty())) return false;
        (question ? state.questions : state.messages).push_back(box);
        return true;
    }
    if (head.empty()) return false;
    WindowFact* window = nullptr;
    for (WindowFact& candidate : state.windows) {
        if (candidate.name == head[0]) window = &candidate;
    }
    if (!window) {
        // A window the state has not met yet: the start-up state names them all by their titles.
        if (head.size() != 2 || head[1] != "title") return false;
        window = &state.windows.emplace_back(WindowFact{std::string(head[0]), "", false, {}});
    }
    if (head.size() == 2 && head[1] == "title") return readJsonString(rest, window->title, rest) && rest.empty();
    if (head.size() == 2 && head[1] == "shown" && rest.empty()) return window->shown = true;
    if (head.size() == 3 && head[1] == "not" && head[2] == "shown" && rest.empty()) return window->shown = false, true;
    if (head.size() < 2) return false;
    ControlFact* control = nullptr;
    for (ControlFact& candidate : window->controls) {
        if (candidate.name == head[1]) control = &candidate;
    }
    if (!control) control = &window->controls.emplace_back(ControlFact{std::string(head[1]), false, "", true});
    if (head.size() == 3 && head[2] == "=") return control->hasText = true, readJsonString(rest, control->text, rest) && rest.empty();
    if (head.size() == 3 && rest.empty() && (head[2] == "visible" || head[2] == "hidden")) return control->visible = head[2] == "visible", true;
    return false;
}

std::string stateJson(const State& state) {
    const auto boolean = [](bool value) { return std::string(value ? "true" : "false"); };
    const auto boxes = [](const std::vector<BoxFact>& list, bool questions) {
        std::string out;
        for (const BoxFact& box : list) {
            std::map<std::string, std::string> members{{"caption", jsonString(box.caption)}, {"text", jsonString(box.text)}};
            if (questions) members["answer"] = jsonString(box.answer);
            out += (out.empty() ? "" : ",") + jsonObject(members);
        }
        return "[" + out + "]";
    };
    std::map<std::string, std::string> windows;
    for (const WindowFact& window : state.windows) {
        std::map<std::string, std::string> controls;
        for (const ControlFact& control : window.controls) {
            std::map<std::string, std::string> members{{"visible", boolean(control.visible)}};
            if (control.hasText) members["text"] = jsonString(control.text);
            controls[control.name] = jsonObject(members);
        }
        windows[window.name] = jsonObject({{"controls", jsonObject(controls)}, {"shown", boolean(window.shown)}, {"title", jsonString(window.title)}});
    }
    return jsonObject({{"clipboard", jsonString(state.clipboard)}, {"exited", boolean(state.exited)}, {"messages", boxes(state.messages, false)},
                       {"questions", boxes(state.questions, true)}, {"windows", jsonObject(windows)}});
}

namespace {

bool isDump(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line == "dump";
}

}  // namespace

Expectations readExpectations(std::string_view script) {
    Expectations expected;
    std::vector<int> dumpLines;
    int number = 0;
    forEachLine(script, [&](std::string_view line) {
        ++number;
        if (isDump(line)) expected.dumps.emplace_back(), dumpLines.push_back(number);
        if (line.starts_with("#= ") && !expected.dumps.empty()) expected.dumps.back().emplace_back(line.substr(3));
        if (line.starts_with("#! ")) expected.error.emplace_back(line.substr(3));
    });
    // The runner stops at the line its error names (at start-up, before any): no dump after it.
    if (!expected.error.empty()) {
        const std::string& where = expected.error.size() > 1 ? expected.error[1] : "";
        const int stop = where.starts_with("line ") ? std::atoi(where.c_str() + 5) : 0;
        while (!dumpLines.empty() && dumpLines.back() >= stop) dumpLines.pop_back(), expected.dumps.pop_back();
    }
    return expected;
}

std::string withExpectations(std::string_view script, const Expectations& expected) {
    std::string out;
    size_t dump = 0;
    forEachLine(script, [&](std::string_view line) {
        if (line.starts_with("#= ") || line.starts_with("#! ")) return;
        out.append(line).append("\n");
        if (!isDump(line) || dump >= expected.dumps.size()) return;
        for (const std::string& change : expected.dumps[dump]) out += "#= " + change + "\n";
        ++dump;
    });
    for (const std::string& line : expected.error) out += "#! " + line + "\n";
    return out;
}

}  // namespace tomokari
