// tomokari-check: what the checks of the recorded scripts and the random sequences run.
//   tomokari-check expected START_STATE SCRIPT   the dumps SCRIPT expects, as the runner prints them
//   tomokari-check core SCRIPT                   the dumps of SCRIPT played through the core alone
//   tomokari-check random SEED [ACTIONS]         a random script of the seed (60 actions)

#include <iostream>
#include <string>

#include "tests/check.h"
#include "tests/random_script.h"

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "expected" && argc == 4) {
            std::cout << tomokari::expectedDumps(tomokari::startUpState(tomokari::readFile(argv[2])), tomokari::readFile(argv[3]));
        } else if (command == "core" && argc == 3) {
            std::cout << tomokari::coreDumps(tomokari::shippedTables(), tomokari::readFile(argv[2]));
        } else if (command == "random" && (argc == 3 || argc == 4)) {
            std::cout << tomokari::randomScript(tomokari::shippedTables(), static_cast<unsigned>(std::stoul(argv[2])), argc == 4 ? std::stoi(argv[3]) : 60);
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
