#include "tests/core_player.h"

#include "tests/script_escapes.h"

namespace tomokari {

std::vector<State> CorePlayer::play(std::string_view script) {
    std::vector<State> dumps;
    forEachLine(script, [&](std::string_view line) {
        if (step(line)) dumps.push_back(state());
    });
    return dumps;
}

bool CorePlayer::step(std::string_view text) {
    std::string line(text);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') return false;
    const size_t blank = line.find(' ');
    const std::string command = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (command == "dump") return true;
    if (command == "answer") answers_.push_back(rest == "yes");
    else if (!workflow_.view().exited) act(command, rest);
    return false;
}

void CorePlayer::act(const std::string& command, const std::string& rest) {
    const size_t blank = rest.find(' ');
    const std::string text = blank == std::string::npos ? "" : unescapeScriptText(rest.substr(blank + 1));
    if (command == "type") workflow_.type(rest.substr(0, blank), text);
    if (command == "paste") workflow_.paste(rest.substr(0, blank), clipboard_ = text);
    if (command == "click") workflow_.press(rest);
    if (command == "menu") workflow_.choose(rest);
    for (const WindowLayout& layout : windowLayouts()) {
        if (command == "close" && layout.name == rest) workflow_.close(layout.id);
        if (command == "copy" && layout.name == rest) clipboard_ = workflow_.copyTable(layout.id);
    }
    if (command == "copy") return;  // reads the core, changes nothing: the last action's boxes are no new ones
    for (const Prompt& message : workflow_.view().messages) messages_.push_back({message.caption, message.text, ""});
    if (const auto& question = workflow_.view().question; question && !answers_.empty()) {
        const bool yes = answers_.front();
        answers_.pop_front();
        questions_.push_back({question->caption, question->text, yes ? "yes" : "no"});
        workflow_.answer(yes);
    }
}

State CorePlayer::state() const {
    const ViewState& view = workflow_.view();
    State state{view.exited, {}, questions_, messages_, clipboard_};
    for (const WindowLayout& layout : windowLayouts()) {
        const WindowState& window = view.windows[static_cast<size_t>(layout.id)];
        WindowFact& fact = state.windows.emplace_back(WindowFact{layout.name, layout.title, window.shown && !view.exited, {}});
        for (size_t i = 0; i < layout.controls.size(); ++i) {
            const bool hasText = layout.controls[i].kind != ControlKind::Line;
            fact.controls.push_back({layout.controls[i].name, hasText, hasText ? window.controls[i].text : "", window.controls[i].visible});
        }
    }
    return state;
}

}  // namespace tomokari
