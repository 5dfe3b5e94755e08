// The recorded scripts through the workflow core alone, without widgets: each script, recorded
// anew from the core, must read as it stands, and so must the start-up state. And seeded random
// sequences of actions, generated here, with the rules the core keeps checked after every action.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fuzz/workflow_rules.h"
#include "tests/check.h"
#include "tests/core_player.h"
#include "tests/random_script.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

// The lines of `seen` that `recorded` lacks, and the other way round.
std::string difference(std::string_view recorded, std::string_view seen) {
    std::vector<std::string_view> was, now;
    forEachLine(recorded, [&](std::string_view line) { was.push_back(line); });
    forEachLine(seen, [&](std::string_view line) { now.push_back(line); });
    std::string out;
    for (std::string_view line : was) if (std::find(now.begin(), now.end(), line) == now.end()) out.append("  - ").append(line.substr(0, 200)) += '\n';
    for (std::string_view line : now) if (std::find(was.begin(), was.end(), line) == was.end()) out.append("  + ").append(line.substr(0, 200)) += '\n';
    return out;
}

TEST(RecordedScripts, TheCoreShowsWhatTheScriptsRecord) {
    const fs::path dir = TOMOKARI_RECORDED_DIR;
    const std::string startUp = readFile(dir / "start-up.state");
    EXPECT_EQ(startUpRecord(shippedTables()), startUp) << difference(startUp, startUpRecord(shippedTables()));
    int played = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.path().extension() != ".script") continue;
        const std::string script = readFile(entry.path()), seen = recordedScript(shippedTables(), script);
        EXPECT_TRUE(seen == script) << fs::relative(entry.path(), dir) << " (tomokari-check record " << dir << " " << entry.path()
                                    << " writes it anew):\n" << difference(script, seen);
        ++played;
    }
    EXPECT_GT(played, 40);
}

// The seeds of the random sequences; the windows and the page play the same ones.
constexpr unsigned kSeeds = 60;

TEST(RandomSequences, KeepTheRulesAfterEveryAction) {
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        CorePlayer player(shippedTables());
        fuzz::WorkflowRules rules;
        forEachLine(randomScript(shippedTables(), seed, 80), [&](std::string_view text) {
            const ViewState before = player.workflow().view();
            player.step(text);
            const ScriptLine line = readScriptLine(text);  // random scripts end their lines with LF alone
            const bool typed = line.command == "type";
            rules.check(player.workflow(), before, line.command == "click" ? line.rest : "", typed ? line.box : "", typed ? line.text : "");
        });
    }
}

}  // namespace
}  // namespace tomokari
