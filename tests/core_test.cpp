// The recorded scripts through the workflow core alone, without widgets: each script, recorded
// anew from the core, must read as it stands, and so must the start-up state. And seeded random
// sequences of actions, generated here, with the rules the core keeps checked after every action.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <regex>

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

// The picture puts each statistic's mark where its value lies on the axis, read from the axis's
// first two tick labels, a statistic far beyond the axis at the axis's end, and says how significant it is.
TEST(Picture, MarksStandWhereTheirValuesLieOnTheAxis) {
    const struct {
        std::array<const char*, 4> cells;
        const char* mark;
        double value;  // where the mark must stand; 0: at the axis's end
        const char* significance;
    } cases[] = {
        {{"30", "10", "10", "30"}, "chi2-mark", 20, "0.1%で有意"}, {{"30", "10", "10", "30"}, "g2-mark", 20.929925750581912, "0.1%で有意"},
        {{"10", "20", "20", "10"}, "chi2-mark", 20.0 / 3, "1%で有意"}, {{"1e30", "1", "1", "1e30"}, "chi2-mark", 0, "0.1%で有意"},
        {{"12", "10", "9", "13"}, "chi2-mark", 0.8199, "有意でない"},
    };
    const std::regex tick(R"re(<text x="([0-9.]+)" y="[0-9.]+" font-size="10.0" text-anchor="middle" fill="#000">([0-9.]+)</text>)re");
    const std::regex axis(R"re(<line x1="([0-9.]+)" y1="([0-9.]+)" x2="([0-9.]+)" y2="\2" stroke="#333")re");
    for (const auto& c : cases) {
        Workflow flow(shippedTables());
        flow.type("Text12", "2"), flow.type("Text13", "2"), flow.press("Command1");
        for (int k = 0; k < 4; ++k) flow.type(indexedName("mat1", k / 2 * 5 + k % 2), c.cells[k]);
        flow.press("Command7"), flow.press("Command5");
        const std::string svg = flow.view().picture;
        std::smatch first, second, end;
        ASSERT_TRUE(std::regex_search(svg, first, tick));
        ASSERT_TRUE(std::regex_search(first.suffix().first, svg.cend(), second, tick));
        ASSERT_TRUE(std::regex_search(svg, end, axis));
        const double x0 = std::stod(first[1]), scale = (std::stod(second[1]) - x0) / std::stod(second[2]);
        const std::string group = "<g id=\"" + std::string(c.mark) + "\"><line x1=\"";
        const size_t at = svg.find(group);
        ASSERT_NE(at, std::string::npos) << c.mark;
        const std::string marked = svg.substr(at, svg.find("</g>", at) - at);
        EXPECT_NEAR(std::stod(marked.substr(group.size())), c.value ? x0 + scale * c.value : std::stod(end[3]), 0.3) << c.mark << " of " << c.cells[0];
        EXPECT_NE(marked.find(std::string("　") + c.significance + "<"), std::string::npos) << c.mark << " of " << c.cells[0];
    }
}

}  // namespace
}  // namespace tomokari
