#include "tests/check.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/core_player.h"

namespace tomokari {

namespace {

void applyOrThrow(State& state, std::string_view line) {
    if (!applyLine(state, line)) throw std::invalid_argument("not a line of a state: " + std::string(line));
}

}  // namespace

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

const ReferenceTables& shippedTables() {
    static const TableLoadResult loaded = loadReferenceTables(TOMOKARI_DATA_DIR);
    if (!loaded.tables) throw std::runtime_error(loaded.error->message());
    return *loaded.tables;
}

State startUpState(std::string_view lines) {
    State state;
    forEachLine(lines, [&](std::string_view line) {
        if (!line.empty() && line.front() != '#') applyOrThrow(state, line);
    });
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
