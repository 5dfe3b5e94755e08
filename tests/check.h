#pragma once
// What the checks of the recorded scripts and the random sequences need, for the command line tool
// (tomokari-check) and the browser edition's tests alike: every dump as one line of the runner's
// JSON.

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

// The state at start-up from its lines (tests/recorded/start-up.state).
State startUpState(std::string_view lines);

// The states a recorded script expects at its dumps: its "#= " lines applied one dump after
// another to the start-up state. Throws std::invalid_argument, naming the line, for a line of no
// known form.
std::vector<State> expectedStates(const State& startUp, std::string_view script);

// The same as the runner prints them.
std::string expectedDumps(const State& startUp, std::string_view script);

// The dumps of a script played through the workflow core alone.
std::string coreDumps(const ReferenceTables& tables, std::string_view script);

}  // namespace tomokari
