// The workflow core as the page sees it: the window layouts, the actions by control name and
// the state to show, as plain JavaScript values.

#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/json_text.h"
#include "engine/texts.h"
#include "engine/workflow.h"

namespace tomokari {
namespace {

// The page takes the layouts and each state as one JSON text: one crossing of the boundary
// instead of one for every property of some two hundred controls.
template <typename Range, typename Write>
std::string array(const Range& items, Write write) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ",") + write(item);
    return "[" + out + "]";
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string boolean(bool value) { return value ? "true" : "false"; }

const char* kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label: return "label";
        case ControlKind::InputBox: return "input";
        case ControlKind::TotalBox: return "total";
        case ControlKind::DisplayBox: return "display";
        case ControlKind::MarginBox: return "margin";
        case ControlKind::TextArea: return "textarea";
        case ControlKind::Button: return "button";
        case ControlKind::Frame: return "frame";
        case ControlKind::Line: return "line";
        case ControlKind::Menu: return "menu";
        case ControlKind::MenuItem: return "item";
        case ControlKind::MenuCommand: return "command";
        case ControlKind::Picture: return "picture";
    }
    return "label";
}

const char* enterName(EnterKey enter) {
    switch (enter) {
        case EnterKey::Nothing: return "";
        case EnterKey::PressesOk: return "ok";
        case EnterKey::MovesOn: return "next";
    }
    return "";
}

const char* alignmentName(Alignment alignment) {
    switch (alignment) {
        case Alignment::Left: return "left";
        case Alignment::Center: return "center";
        case Alignment::Right: return "right";
        case Alignment::RightTop: return "right-top";
    }
    return "left";
}

std::string rect(const Rect& r) {
    return jsonObject({{"left", number(r.left)}, {"top", number(r.top)}, {"width", number(r.width)}, {"height", number(r.height)}});
}

std::string prompt(const Prompt& p) { return jsonObject({{"caption", jsonString(p.caption)}, {"text", jsonString(p.text)}}); }

// Every window with its controls, in the order that view() reports them, with the main
// window's keyboard order and the page's own fixed texts.
std::string layouts() {
    const std::string windows = array(windowLayouts(), [](const WindowLayout& layout) {
        const std::string controls = array(layout.controls, [](const ControlLayout& c) {
            return jsonObject({{"name", jsonString(c.name)}, {"kind", jsonString(kindName(c.kind))}, {"rect", rect(c.rect)},
                           {"pointSize", number(c.pointSize)}, {"alignment", jsonString(alignmentName(c.alignment))},
                           {"parent", jsonString(c.parent)}, {"enter", jsonString(enterName(c.enter))}});
        });
        return jsonObject({{"name", jsonString(layout.name)}, {"title", jsonString(layout.title)}, {"client", rect(layout.client)},
                       {"pointSize", number(layout.pointSize)}, {"controls", controls}, {"grid", jsonString(layout.gridName)}});
    });
    const std::string texts = jsonObject({{"programTitle", jsonString(kProgramTitle)}, {"ended", jsonString(kEndedNote)},
                                      {"yes", jsonString(kYesButton)}, {"no", jsonString(kNoButton)}, {"ok", jsonString(kOkButton)}, {"close", jsonString(kCloseButton)},
                                      {"copy", jsonString(kCopyButton)}, {"menuBar", jsonString(kMenuBarName)},
                                      {"figureFile", jsonString(kFigureFileName)}, {"copyFigure", jsonString(kFigureCopyCommand)},
                                      {"savePng", jsonString(kFigurePngCommand)}, {"saveSvg", jsonString(kFigureSvgCommand)},
                                      {"notSaved", jsonString(kFigureNotSavedMessage)}});
    return jsonObject({{"windows", windows}, {"keyboardOrder", array(mainKeyboardOrder(), jsonString)}, {"texts", texts},
                       {"inputCharacters", number(static_cast<double>(kInputBoxCharacters))}});
}

WindowId windowId(int index) {
    return index >= 1 && index < kWindowCount ? static_cast<WindowId>(index) : WindowId::Main;
}

// The program as the page runs it. The page fetches the two table files from beside itself
// and hands over their bytes ({name: Uint8Array, or null for a file it could not get});
// `directory` is where they are, as the start-up message names it.
class Core {
public:
    Core(const std::string& directory, const emscripten::val& files) {
        const auto file = [&](const char* name) -> std::optional<std::string> {
            const emscripten::val bytes = files[name];
            if (bytes.isNull() || bytes.isUndefined()) return std::nullopt;
            return bytes.as<std::string>();
        };
        TableLoadResult loaded =
            loadReferenceTables(file(kCriticalValueFileName), file(kPowerSampleFileName), directory);
        if (loaded.tables) {
            workflow_.emplace(*loaded.tables);
        } else {
            failure_ = loaded.error->message();
        }
    }

    // The start-up message, or "" when the program runs.
    std::string failure() const { return failure_; }

    // What the box keeps of the text typed into it, which the page then shows.
    std::string type(const std::string& box, const std::string& text) {
        if (!workflow_ || !workflow_->type(box, text)) return text;
        return workflow_->control(WindowId::Main, box).text;
    }
    bool paste(const std::string& box, const std::string& text) { return workflow_ && workflow_->paste(box, text); }
    bool press(const std::string& button) { return workflow_ && workflow_->press(button); }
    bool choose(const std::string& item) { return workflow_ && workflow_->choose(item); }
    void close(int window) {
        if (workflow_) workflow_->close(windowId(window));
    }
    void answer(bool yes) {
        if (workflow_) workflow_->answer(yes);
    }
    std::string copyTable(int window) const { return workflow_ ? workflow_->copyTable(windowId(window)) : ""; }

    // The state to show: windows with their controls' texts and visibility, the question
    // waiting, the messages and the windows brought to the front by the last action.
    std::string view() const {
        if (!workflow_) return "{}";
        const ViewState& state = workflow_->view();
        std::string windows;
        for (size_t w = 0; w < state.windows.size(); ++w) {
            const std::vector<ControlLayout>& layouts = windowLayouts()[w].controls;
            std::string controls;
            for (size_t i = 0; i < layouts.size(); ++i) {
                const ControlState& c = state.windows[w].controls[i];
                controls += (i ? "," : "") + jsonObject({{"text", jsonString(c.text)}, {"visible", boolean(c.visible)},
                                                     {"spoken", jsonString(spokenName(layouts[i], c.text))}});
            }
            windows += (w ? "," : "") + jsonObject({{"shown", boolean(state.windows[w].shown)}, {"controls", "[" + controls + "]"}});
        }
        windows = "[" + windows + "]";
        // The picture and its numbers as texts: the page puts the one into the document as it is
        // and keeps the other for the scripted runner, whose dump must carry the core's digits.
        return jsonObject({{"exited", boolean(state.exited)}, {"windows", windows},
                       {"question", state.question ? prompt(*state.question) : "null"},
                       {"messages", array(state.messages, prompt)},
                       {"raised", array(state.raised, [](WindowId id) { return number(static_cast<int>(id)); })},
                       {"picture", jsonString(state.picture)}, {"pictureValues", jsonString(state.pictureValues)}});
    }

private:
    std::optional<Workflow> workflow_;
    std::string failure_;
};

}  // namespace
}  // namespace tomokari

EMSCRIPTEN_BINDINGS(tomokari) {
    using namespace tomokari;
    emscripten::function("layouts", &layouts);
    emscripten::class_<Core>("Core")
        .constructor<const std::string&, const emscripten::val&>()
        .function("failure", &Core::failure)
        .function("type", &Core::type)
        .function("paste", &Core::paste)
        .function("press", &Core::press)
        .function("choose", &Core::choose)
        .function("close", &Core::close)
        .function("answer", &Core::answer)
        .function("copyTable", &Core::copyTable)
        .function("view", &Core::view);
}
