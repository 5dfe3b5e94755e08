#include "tests/state.h"

#include <map>

#include "engine/json_text.h"

namespace tomokari {

namespace {

std::string boxLine(const char* kind, const BoxFact& box) {
    std::string line = std::string(kind) + " " + jsonString(box.caption) + " " + jsonString(box.text);
    return box.answer.empty() ? line : line + " " + box.answer;
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
        if (!now.values.empty() && (!was || was->values != now.values)) lines.push_back(now.name + " values " + now.values);
    }
    for (size_t q = whole ? 0 : before.questions.size(); q < after.questions.size(); ++q) lines.push_back(boxLine("question", after.questions[q]));
    for (size_t m = whole ? 0 : before.messages.size(); m < after.messages.size(); ++m) lines.push_back(boxLine("message", after.messages[m]));
    if (whole || before.clipboard != after.clipboard) lines.push_back("clipboard " + jsonString(after.clipboard));
    return lines;
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
        std::map<std::string, std::string> members{{"controls", jsonObject(controls)}, {"shown", boolean(window.shown)}, {"title", jsonString(window.title)}};
        if (!window.values.empty()) members["values"] = window.values;
        windows[window.name] = jsonObject(members);
    }
    return jsonObject({{"clipboard", jsonString(state.clipboard)}, {"exited", boolean(state.exited)}, {"messages", boxes(state.messages, false)},
                       {"questions", boxes(state.questions, true)}, {"windows", jsonObject(windows)}});
}

}  // namespace tomokari
