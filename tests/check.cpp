#include "tests/check.h"

#include <stdexcept>

#include "tests/core_player.h"

namespace tomokari {

namespace {

void applyOrThrow(State& state, std::string_view line) {
    if (!applyLine(state, line)) throw std::invalid_argument("not a line of a state: " + std::string(line));
}

}  // namespace

State startUpState(std::string_view lines) {
    State state;
    while (!lines.empty()) {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        if (!line.empty() && line.front() != '#') applyOrThrow(state, line);
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
    }
    return state;
}

std::vector<State> expectedStates(const State& startUp, std::string_view script) {
    std::vector<State> states;
    State state = startUp;
    for (const std::vector<std::string>& changes : readExpectations(script).dumps) {
        for (const std::string& line : changes) applyOrThrow(state, line);
        states.push_back(state);
    }
    return states;
}

std::string expectedDumps(const State& startUp, std::string_view script) {
    std::string dumps;
    for (const State& state : expectedStates(startUp, script)) dumps += stateJson(state) + "\n";
    return dumps;
}

std::string coreDumps(const ReferenceTables& tables, std::string_view script) {
    std::string dumps;
    for (const State& state : CorePlayer(tables).play(script)) dumps += stateJson(state) + "\n";
    return dumps;
}

}  // namespace tomokari
