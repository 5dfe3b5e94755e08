#include "tests/core_player.h"

namespace tomokari {

bool CorePlayer::step(std::string_view text) {
    if (text.ends_with('\r')) text.remove_suffix(1);
    const ScriptLine line = readScriptLine(text);
    if (line.command == "dump") return true;
    if (line.command == "answer") answers_.push_back(line.rest == "yes");
    else if (!line.command.empty() && !workflow_.view().exited) act(line);
    return false;
}

void CorePlayer::act(const ScriptLine& line) {
    const std::string& command = line.command;
    if (command == "type") workflow_.type(line.box, line.text);
    if (command == "paste") workflow_.paste(line.box, clipboard_ = line.text);
    if (command == "click") workflow_.press(line.rest);
    if (command == "menu") workflow_.choose(line.rest);
    for (const WindowLayout& layout : windowLayouts()) {
        if (command == "close" && layout.name == line.rest) workflow_.close(layout.id);
        if (command == "copy" && layout.name == line.rest) clipboard_ = workflow_.copyTable(layout.id);
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
        WindowFact& fact = state.windows.emplace_back(WindowFact{layout.name, layout.title, window.shown && !view.exited, {}, {}});
        for (size_t i = 0; i < layout.controls.size(); ++i) {
            const bool hasText = layout.controls[i].kind != ControlKind::Line && layout.controls[i].kind != ControlKind::Picture;
            fact.controls.push_back({layout.controls[i].name, hasText, hasText ? window.controls[i].text : "", window.controls[i].visible});
        }
        if (layout.id == WindowId::Figure) fact.values = view.pictureValues;
    }
    return state;
}

}  // namespace tomokari
