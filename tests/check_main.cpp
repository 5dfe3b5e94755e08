// tomokari-check: what the checks of the recorded scripts and the random sequences run.
//   tomokari-check expected START_STATE SCRIPT   the dumps SCRIPT expects, as the runner prints them
//   tomokari-check core SCRIPT                   the dumps of SCRIPT played through the core alone
//   tomokari-check random SEED [ACTIONS]         a random script of the seed (60 actions)

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/check.h"
#include "tests/random_script.h"

namespace {

std::string readFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(std::string("cannot read ") + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

const tomokari::ReferenceTables& tables() {
    static const tomokari::TableLoadResult loaded = tomokari::loadReferenceTables(TOMOKARI_DATA_DIR);
    if (!loaded.tables) throw std::runtime_error(loaded.error->message());
    return *loaded.tables;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "expected" && argc == 4) {
            std::cout << tomokari::expectedDumps(tomokari::startUpState(readFile(argv[2])), readFile(argv[3]));
        } else if (command == "core" && argc == 3) {
            std::cout << tomokari::coreDumps(tables(), readFile(argv[2]));
        } else if (command == "random" && (argc == 3 || argc == 4)) {
            std::cout << tomokari::randomScript(tables(), static_cast<unsigned>(std::stoul(argv[2])), argc == 4 ? std::stoi(argv[3]) : 60);
        } else {
            std::cerr << "usage: tomokari-check expected START_STATE SCRIPT | core SCRIPT | random SEED [ACTIONS]\n";
            return 2;
        }
    } catch (const std::exception& error) {
        std::cerr << "tomokari-check: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
