// Plays the recorded scripts through the workflow core alone, without widgets, and prints
// the same JSON as the scripted runner: the core's state must be what the windows show.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/workflow.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 't' || next == 'n' || next == '\\')) {
            out += next == 't' ? '\t' : next == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += text[i];
        }
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
        if (command == "type") {
            const size_t blank = rest.find(' ');
            workflow_.type(rest.substr(0, blank), blank == std::string::npos ? "" : unescape(rest.substr(blank + 1)));
            return;
        }
        if (command == "click") workflow_.press(rest);
        if (command == "menu") workflow_.choose(rest);
        if (command == "close") {
            for (const WindowSpec& spec : windowSpecs()) {
                if (spec.name == rest) workflow_.close(spec.id);
            }
        }
        for (const Prompt& message : workflow_.view().messages) {
            messages_.push_back("{\"caption\":" + jsonString(message.caption) + ",\"text\":" + jsonString(message.text) + "}");
        }
        if (const auto& question = workflow_.view().question) {
            const bool yes = answers_.front();
            answers_.pop_front();
            questions_.push_back(std::string("{\"answer\":\"") + (yes ? "yes" : "no") + "\",\"caption\":" +
                                 jsonString(question->caption) + ",\"text\":" + jsonString(question->text) + "}");
            workflow_.answer(yes);
        }
    }

    static std::string list(const std::vector<std::string>& items) {
        std::string out = "[";
        for (const std::string& item : items) out += (out.size() > 1 ? "," : "") + item;
        return out + "]";
    }

    std::string dump() const {
        const ViewState& view = workflow_.view();
        std::map<std::string, std::string> windows;
        for (const WindowSpec& spec : windowSpecs()) {
            const WindowState& state = view.windows[static_cast<size_t>(spec.id)];
            std::map<std::string, std::string> controls;
            for (size_t i = 0; i < spec.controls.size(); ++i) {
                const bool hasText = spec.controls[i].kind != ControlKind::Line;
                controls[spec.controls[i].name] = std::string("{") + (hasText ? "\"text\":" + jsonString(state.controls[i].text) + "," : "") +
                                                  "\"visible\":" + (state.controls[i].visible ? "true" : "false") + "}";
            }
            std::string members;
            for (const auto& [name, json] : controls) members += (members.empty() ? "" : ",") + jsonString(name) + ":" + json;
            windows[spec.name] = "{\"controls\":{" + members + "},\"shown\":" + (state.shown ? "true" : "false") +
                                 ",\"title\":" + jsonString(spec.title) + "}";
        }
        std::string members;
        for (const auto& [name, json] : windows) members += (members.empty() ? "" : ",") + jsonString(name) + ":" + json;
        return std::string("{\"exited\":") + (view.exited ? "true" : "false") + ",\"messages\":" + list(messages_) +
               ",\"questions\":" + list(questions_) + ",\"windows\":{" + members + "}}";
    }

    Workflow workflow_;
    std::deque<bool> answers_;
    std::vector<std::string> messages_, questions_;
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
