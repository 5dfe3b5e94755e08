// Plays the recorded scripts through the workflow core alone, without widgets, and prints
// the same JSON as the scripted runner: the core's state must be what the windows show.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "engine/json_text.h"
#include "engine/workflow.h"
#include "tests/script_escapes.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

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
        const std::string text = blank == std::string::npos ? "" : unescapeScriptText(rest.substr(blank + 1));
        if (command == "type") workflow_.type(rest.substr(0, blank), text);
        if (command == "paste") workflow_.paste(rest.substr(0, blank), clipboard_ = text);
        if (command == "click") workflow_.press(rest);
        if (command == "menu") workflow_.choose(rest);
        for (const WindowLayout& layout : windowLayouts()) {
            if (command == "close" && layout.name == rest) workflow_.close(layout.id);
            if (command == "copy" && layout.name == rest) clipboard_ = workflow_.copyTable(layout.id);
        }
        for (const Prompt& message : workflow_.view().messages) {
            messages_ += (messages_.empty() ? "" : ",") + jsonObject({{"caption", jsonString(message.caption)}, {"text", jsonString(message.text)}});
        }
        if (const auto& question = workflow_.view().question) {
            const bool yes = answers_.front();
            answers_.pop_front();
            questions_ += (questions_.empty() ? "" : ",") + jsonObject({{"answer", yes ? "\"yes\"" : "\"no\""},
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
                controls[layout.controls[i].name] = jsonObject(control);
            }
            windows[layout.name] = jsonObject({{"controls", jsonObject(controls)}, {"shown", boolean(state.shown)}, {"title", jsonString(layout.title)}});
        }
        return jsonObject({{"clipboard", jsonString(clipboard_)}, {"exited", boolean(view.exited)}, {"messages", "[" + messages_ + "]"}, {"questions", "[" + questions_ + "]"},
                       {"windows", jsonObject(windows)}});
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

// A name that is no control stops the caller instead of reading past the end of the window's controls.
TEST(Workflow, AWrongControlNameFailsLoudly) {
    const TableLoadResult tables = loadReferenceTables(TOMOKARI_DATA_DIR);
    ASSERT_TRUE(tables.tables);
    const Workflow workflow(*tables.tables);
    EXPECT_EQ(workflow.control(WindowId::Main, "mat1(19)").text, "45");
    for (const char* name : {"mat1(20)", "", "Command9", "zzz"}) {
        EXPECT_THROW(workflow.control(WindowId::Main, name), std::out_of_range) << name;
    }
    EXPECT_THROW(workflow.control(WindowId::Residuals, "Command1"), std::out_of_range);
}

}  // namespace
}  // namespace tomokari
