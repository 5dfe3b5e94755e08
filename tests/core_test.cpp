// The recorded scripts through the workflow core alone, without widgets: at every dump it must
// show what the script expects, which is what the windows showed. And seeded random sequences of
// actions, generated here, with the rules the core keeps checked after every action.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "fuzz/workflow_rules.h"
#include "tests/check.h"
#include "tests/core_player.h"
#include "tests/random_script.h"
#include "tests/script_escapes.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "    " + line + "\n";
    return text;
}

TEST(RecordedScripts, TheCoreShowsWhatTheScriptsExpect) {
    const State startUp = startUpState(readFile(fs::path(TOMOKARI_RECORDED_DIR) / "start-up.state"));
    EXPECT_EQ(CorePlayer(shippedTables()).state(), startUp) << joined(changeLines(startUp, CorePlayer(shippedTables()).state()));
    int played = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(TOMOKARI_RECORDED_DIR)) {
        if (entry.path().extension() != ".script") continue;
        const std::string script = readFile(entry.path());
        if (!readExpectations(script).error.empty()) continue;  // the runner's errors: the windows' checks see them
        const std::vector<State> expected = expectedStates(startUp, script), seen = CorePlayer(shippedTables()).play(script);
        const std::string name = fs::relative(entry.path(), TOMOKARI_RECORDED_DIR).string();
        ASSERT_EQ(seen.size(), expected.size()) << name;
        for (size_t dump = 0; dump < seen.size(); ++dump) {
            EXPECT_TRUE(seen[dump] == expected[dump]) << name << ", dump " << dump + 1 << ", expected then seen:\n"
                                                      << joined(changeLines(seen[dump], expected[dump]))
                                                      << joined(changeLines(expected[dump], seen[dump]));
        }
        ++played;
    }
    EXPECT_GT(played, 30);
}

// The seeds of the random sequences; the windows and the page play the same ones.
constexpr unsigned kSeeds = 60;

TEST(RandomSequences, KeepTheRulesAfterEveryAction) {
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        CorePlayer player(shippedTables());
        fuzz::WorkflowRules rules;
        std::istringstream script(randomScript(shippedTables(), seed, 80));
        for (std::string line; std::getline(script, line);) {
            const ViewState before = player.workflow().view();
            player.step(line);
            // What a line presses or types, for the rules that depend on it.
            std::istringstream words(line);
            std::string command, target, text;
            words >> command >> target;
            if (command == "type" && line.size() > command.size() + target.size() + 2) text = line.substr(command.size() + target.size() + 2);
            rules.check(player.workflow(), before, command == "click" ? target : "", command == "type" ? target : "", unescapeScriptText(text));
        }
    }
}

}  // namespace
}  // namespace tomokari
