#include "tests/check.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "tests/core_player.h"

namespace tomokari {

namespace {

bool isDump(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line == "dump";
}

// The line before which a runner stops: the one its error names, 0 for an error at start-up.
int stopLine(const Expectations& expected) {
    if (expected.error.empty()) return INT_MAX;
    const std::string& where = expected.error.size() > 1 ? expected.error[1] : "";
    return where.starts_with("line ") ? std::atoi(where.c_str() + 5) : 0;
}

void writeIfChanged(const std::string& path, const std::string& text, bool write, std::vector<std::string>& changed) {
    std::ifstream in(path, std::ios::binary);
    if (in && std::string(std::istreambuf_iterator<char>(in), {}) == text) return;
    if (write) std::ofstream(path, std::ios::binary) << text;
    changed.push_back(path);
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

Expectations readExpectations(std::string_view script) {
    Expectations expected;
    forEachLine(script, [&](std::string_view line) {
        if (isDump(line)) expected.dumps.emplace_back();
        if (line.starts_with("#= ") && !expected.dumps.empty()) expected.dumps.back().emplace_back(line.substr(3));
        if (line.starts_with("#! ")) expected.error.emplace_back(line.substr(3));
    });
    return expected;
}

std::string withExpectations(std::string_view script, const Expectations& expected) {
    std::string out;
    size_t dump = 0;
    forEachLine(script, [&](std::string_view line) {
        if (line.starts_with("#= ") || line.starts_with("#! ")) return;
        out.append(line).append("\n");
        if (!isDump(line) || dump >= expected.dumps.size()) return;
        for (const std::string& change : expected.dumps[dump]) out += "#= " + change + "\n";
        ++dump;
    });
    for (const std::string& line : expected.error) out += "#! " + line + "\n";
    return out;
}

std::vector<State> coreStates(const ReferenceTables& tables, std::string_view script) {
    const int stop = stopLine(readExpectations(script));
    CorePlayer player(tables);
    std::vector<State> states;
    int number = 0;
    forEachLine(script, [&](std::string_view line) {
        if (++number < stop && player.step(line)) states.push_back(player.state());
    });
    return states;
}

std::string coreOutput(const ReferenceTables& tables, std::string_view script) {
    std::string out;
    for (const State& state : coreStates(tables, script)) out += stateJson(state) + "\n";
    const std::vector<std::string> error = readExpectations(script).error;
    if (error.empty()) return out + "exit 0\n";
    for (const std::string& line : error) out += line + "\n";
    return out;
}

std::string startUpRecord(const ReferenceTables& tables) {
    std::string text = "# What the windows show at start-up; every recorded script starts from here.\n";
    for (const std::string& line : changeLines(State{}, CorePlayer(tables).state(), true)) text += line + "\n";
    return text;
}

std::string recordedScript(const ReferenceTables& tables, std::string_view script) {
    Expectations expected{{}, readExpectations(script).error};
    State before = CorePlayer(tables).state();
    for (State& state : coreStates(tables, script)) {
        expected.dumps.push_back(changeLines(before, state));
        before = std::move(state);
    }
    return withExpectations(script, expected);
}

std::vector<std::string> recordScripts(const ReferenceTables& tables, const std::string& dir,
                                       const std::vector<std::string>& scripts, bool write) {
    std::vector<std::string> changed;
    writeIfChanged(dir + "/start-up.state", startUpRecord(tables), write, changed);
    for (const std::string& path : scripts) writeIfChanged(path, recordedScript(tables, readFile(path)), write, changed);
    return changed;
}

}  // namespace tomokari
