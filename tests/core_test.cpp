// Plays the recorded scripts through the workflow core alone, without widgets, and prints
// the same JSON as the scripted runner: the core's state must be what the windows show.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/workflow.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

// As Qt writes JSON: UTF-8 as it is, the short escapes, \u00XX for other control characters.
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        const char* shortEscape = std::strchr("\"\\\n\r\t\b\f", c);
        if (c != 0 && shortEscape) {
            out += std::string("\\") + "\"\\nrtbf"[shortEscape - "\"\\\n\r\t\b\f"];
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// {"key":value,...} in the order of the keys, as Qt sorts them.
std::string object(const std::map<std::string, std::string>& members) {
    std::string out;
    for (const auto& [key, value] : members) out += (out.empty() ? "" : ",") + jsonString(key) + ":" + value;
    return "{" + out + "}";
}

// \t, \n, \r and \\ stand for a tab, a line feed, a carriage return and a backslash.
std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t escape = text[i] == '\\' && i + 1 < text.size() ? std::string("tnr\\").find(text[i + 1]) : std::string::npos;
        out += escape == std::string::npos ? text[i] : "\t\n\r\\"[escape];
        i += escape == std::string::npos ? 0 : 1;
    }
    return out;
}

class CorePlayer {
public:
    explicit CorePlayer(const ReferenceTables& tables) : workflow_(tables) {}

    // The dumps of a script that runs without error, one JSON line each.
    std::string play(std::istream& script) {
        std::string line, dumps;
        while (std::getline(script, line)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#') continue;
            const size_t blank = line.find(' ');
            const std::string command = line.substr(0, blank);
            const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
            if (command == "dump") {
                dumps += dump() + "\n";
            } else if (command == "answer") {
                answers_.push_back(rest == "yes");
            } else if (!workflow_.view().exited) {
                act(command, rest);
            }
        }
        return dumps;
    }

private:
    void act(const std::string& command, const std::string& rest) {
        const size_t blank = rest.find(' ');
        const std::string text = blank == std::string::npos ? "" : unescape(rest.substr(blank + 1));
        if (command == "type") workflow_.type(rest.substr(0, blank), text);
        if (command == "paste") workflow_.paste(rest.substr(0, blank), clipboard_ = text);
        if (command == "click") workflow_.press(rest);
        if (command == "menu") workflow_.choose(rest);
        for (const WindowLayout& layout : windowLayouts()) {
            if (command == "close" && layout.name == rest) workflow_.close(layout.id);
            if (command == "copy" && layout.name == rest) clipboard_ = workflow_.copyTable(layout.id);
        }
        for (const Prompt& message : workflow_.view().messages) {
            messages_ += (messages_.empty() ? "" : ",") + object({{"caption", jsonString(message.caption)}, {"text", jsonString(message.text)}});
        }
        if (const auto& question = workflow_.view().question) {
            const bool yes = answers_.front();
            answers_.pop_front();
            questions_ += (questions_.empty() ? "" : ",") + object({{"answer", yes ? "\"yes\"" : "\"no\""},
                                                                    {"caption", jsonString(question->caption)},
                                                                    {"text", jsonString(question->text)}});
            workflow_.answer(yes);
        }
    }

    std::string dump() const {
        const ViewState& view = workflow_.view();
        const auto boolean = [](bool value) { return std::string(value ? "true" : "false"); };
        std::map<std::string, std::string> windows;
        for (const WindowLayout& layout : windowLayouts()) {
            const WindowState& state = view.windows[static_cast<size_t>(layout.id)];
            std::map<std::string, std::string> controls;
            for (size_t i = 0; i < layout.controls.size(); ++i) {
                std::map<std::string, std::string> control{{"visible", boolean(state.controls[i].visible)}};
                if (layout.controls[i].kind != ControlKind::Line) control["text"] = jsonString(state.controls[i].text);
                controls[layout.controls[i].name] = object(control);
            }
            windows[layout.name] = object({{"controls", object(controls)}, {"shown", boolean(state.shown)}, {"title", jsonString(layout.title)}});
        }
        return object({{"clipboard", jsonString(clipboard_)}, {"exited", boolean(view.exited)}, {"messages", "[" + messages_ + "]"}, {"questions", "[" + questions_ + "]"},
                       {"windows", object(windows)}});
    }

    Workflow workflow_;
    std::deque<bool> answers_;
    std::string messages_, questions_;  // JSON objects joined by commas
    std::string clipboard_;
};

TEST(RecordedScripts, TheCoreAloneGivesTheDumpsOfTheWindows) {
    const TableLoadResult tables = loadReferenceTables(TOMOKARI_DATA_DIR);
    ASSERT_TRUE(tables.tables);
    int played = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(TOMOKARI_RECORDED_DIR)) {
        fs::path path = entry.path();
        if (path.extension() != ".script" || fs::exists(fs::path(path).replace_extension(".error"))) continue;
        std::ifstream script(path);
        std::ifstream expected(fs::path(path).replace_extension(".dumps"));
        std::stringstream want;
        want << expected.rdbuf();
        EXPECT_EQ(CorePlayer(*tables.tables).play(script), want.str()) << path.filename();
        ++played;
    }
    EXPECT_GT(played, 100);
}

}  // namespace
}  // namespace tomokari
