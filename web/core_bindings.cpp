// The workflow core as the page sees it: the window layouts, the actions by control name and
// the state to show. Plain exported functions that take and give UTF-8 texts: the page writes a
// call's texts one after another into the room tomokari_arguments gives, passes their lengths,
// and reads a text given back at tomokari_result. A binding library would cost the page more
// JavaScript and a registration at every start than these few calls are worth.

#include <emscripten/emscripten.h>
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

// The program as the page runs it: one at a time, made by tomokari_start. The page is written
// with the program's first state, so the workflow that would compute it is made only when it is
// first needed (or when the page has a moment after its start): starting reads the table files
// alone, which a start-up message needs.
class Core {
public:
    // `directory` is where the two table files are, as the start-up message names it.
    Core(const std::optional<std::string>& critical, const std::optional<std::string>& power, const std::string& directory) {
        TableLoadResult loaded = loadReferenceTables(critical, power, directory);
        if (loaded.tables) {
            tables_ = std::move(loaded.tables);
        } else {
            failure_ = loaded.error->message();
        }
    }

    // The start-up message, or "" when the program runs.
    const std::string& failure() const { return failure_; }

    // The workflow, made now if it is not yet; none when the program did not start.
    Workflow* workflow() {
        if (!workflow_ && tables_) workflow_.emplace(*tables_);
        return workflow_ ? &*workflow_ : nullptr;
    }

    // What the box keeps of the text typed into it, which the page then shows.
    std::string type(const std::string& box, const std::string& text) {
        Workflow* w = workflow();
        if (!w || !w->type(box, text)) return text;
        return w->control(WindowId::Main, box).text;
    }
    bool paste(const std::string& box, const std::string& text) { return workflow() && workflow()->paste(box, text); }
    bool press(const std::string& button) { return workflow() && workflow()->press(button); }
    bool choose(const std::string& item) { return workflow() && workflow()->choose(item); }
    void close(int window) {
        if (workflow()) workflow()->close(windowId(window));
    }
    void answer(bool yes) {
        if (workflow()) workflow()->answer(yes);
    }
    std::string copyTable(int window) { return workflow() ? workflow()->copyTable(windowId(window)) : ""; }

    // The state to show: windows with their controls' texts and visibility, the question
    // waiting, the messages and the windows brought to the front by the last action.
    std::string view() {
        if (!workflow()) return "{}";
        const ViewState& state = workflow()->view();
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
    std::optional<ReferenceTables> tables_;
    std::optional<Workflow> workflow_;
    std::string failure_;
};

std::optional<Core> core;
std::string arguments;  // the texts of the next call, one after another
std::string result;     // the text the last call gave back

// Takes the call's texts of the given lengths off the front of `arguments`; a negative length is
// no text at all (a table file the page could not get).
class Texts {
public:
    std::optional<std::string> next(int length) {
        if (length < 0) return std::nullopt;
        std::string text = arguments.substr(at_, static_cast<size_t>(length));
        at_ += text.size();
        return text;
    }
    std::string operator()(int length) { return next(length).value_or(""); }

private:
    size_t at_ = 0;
};

int give(std::string text) {
    result = std::move(text);
    return static_cast<int>(result.size());
}

}  // namespace
}  // namespace tomokari

using tomokari::core;
using tomokari::Texts;
using tomokari::give;

extern "C" {

// Room for the next call's texts; the page writes them there, one after another.
EMSCRIPTEN_KEEPALIVE char* tomokari_arguments(int size) {
    tomokari::arguments.assign(static_cast<size_t>(size), '\0');
    return tomokari::arguments.data();
}

// The text that the last call gave back; the call returned its length in bytes.
EMSCRIPTEN_KEEPALIVE const char* tomokari_result() { return tomokari::result.data(); }

EMSCRIPTEN_KEEPALIVE int tomokari_layouts() { return give(tomokari::layouts()); }

// Starts the program on the two table files' contents (a length of -1: the page could not get
// the file); gives back the start-up message, empty when it runs.
EMSCRIPTEN_KEEPALIVE int tomokari_start(int critical, int power, int directory) {
    Texts texts;
    const auto criticalFile = texts.next(critical);
    const auto powerFile = texts.next(power);
    core.emplace(criticalFile, powerFile, texts(directory));
    return give(core->failure());
}

EMSCRIPTEN_KEEPALIVE int tomokari_type(int box, int text) {
    Texts texts;
    const std::string name = texts(box);
    return give(core->type(name, texts(text)));
}

EMSCRIPTEN_KEEPALIVE int tomokari_paste(int box, int text) {
    Texts texts;
    const std::string name = texts(box);
    return core->paste(name, texts(text));
}

EMSCRIPTEN_KEEPALIVE int tomokari_press(int button) { return core->press(Texts()(button)); }
EMSCRIPTEN_KEEPALIVE int tomokari_choose(int item) { return core->choose(Texts()(item)); }
EMSCRIPTEN_KEEPALIVE void tomokari_close(int window) { core->close(window); }
EMSCRIPTEN_KEEPALIVE void tomokari_answer(int yes) { core->answer(yes != 0); }
EMSCRIPTEN_KEEPALIVE int tomokari_copy_table(int window) { return give(core->copyTable(window)); }
EMSCRIPTEN_KEEPALIVE int tomokari_view() { return give(core->view()); }
// Makes the workflow ahead of the first action, when the page has a moment.
EMSCRIPTEN_KEEPALIVE void tomokari_prepare() { core->workflow(); }

}  // extern "C"
