#pragma once
// What the checks of the recorded scripts and the random sequences need, for the command line tool
// (tomokari-check) and the core's own tests alike: a script played through the workflow core, what
// a runner must print for it, and the expectations kept in the script itself.

#include <string>
#include <string_view>
#include <vector>

#include "tables/reference_tables.h"
#include "tests/state.h"

namespace tomokari {

// A file's bytes; throws std::runtime_error when it cannot be read.
std::string readFile(const std::string& path);

// The shipped table files (data/), loaded once; throws std::runtime_error when they do not load.
const ReferenceTables& shippedTables();

// What a recorded script expects, kept in the script itself after the lines that make it: after
// each "dump" line its changes as "#= " lines, and at the end the runner's error as "#! " lines
// ("#! exit 2", "#! line 5: unknown command: frob"). The runners skip them as comments.
struct Expectations {
    std::vector<std::vector<std::string>> dumps;
    std::vector<std::string> error;  // empty: the script runs to its end
};

Expectations readExpectations(std::string_view script);

// The script with `expected` in place of the expectations it held.
std::string withExpectations(std::string_view script, const Expectations& expected);

// The states at the dumps of the script played through the workflow core, as far as a runner
// plays it: up to the line that its "#! " lines name.
std::vector<State> coreStates(const ReferenceTables& tables, std::string_view script);

// What a runner must print for the script and how it must end, as one text: the dumps of the
// core, then "exit 0", or the script's "#! " lines (the error line without the runner's name).
std::string coreOutput(const ReferenceTables& tables, std::string_view script);

// The start-up state as tests/recorded/start-up.state keeps it: every fact of it, a line each.
std::string startUpRecord(const ReferenceTables& tables);

// The script with its "#= " lines recorded anew from the core; its "#! " lines stay as they are.
std::string recordedScript(const ReferenceTables& tables, std::string_view script);

// Writes DIR/start-up.state and the scripts recorded anew (with `write` false only compares);
// returns the files that changed.
std::vector<std::string> recordScripts(const ReferenceTables& tables, const std::string& dir,
                                       const std::vector<std::string>& scripts, bool write = true);

}  // namespace tomokari
