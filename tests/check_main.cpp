// tomokari-check: what the checks of the recorded scripts and the random sequences run.
//   tomokari-check core SCRIPT|-              what a runner must print for SCRIPT, then how it ends
//   tomokari-check random SEED [ACTIONS]      a random script of the seed (60 actions)
//   tomokari-check record DIR [SCRIPT...]     the expectations of the scripts (every .script under
//                                             DIR unless named) recorded anew from the core; names
//                                             the files that changed, which git diff then shows
//   tomokari-check verify DIR                 the same without writing: names the files the core
//                                             would change and fails if there are any (the browser
//                                             build's core against what the desktop's recorded)

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

#include "tests/check.h"
#include "tests/random_script.h"

int main(int argc, char* argv[]) {
    using namespace tomokari;
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "core" && argc == 3) {
            const bool fromInput = std::string(argv[2]) == "-";
            std::cout << coreOutput(shippedTables(), fromInput ? std::string(std::istreambuf_iterator<char>(std::cin), {}) : readFile(argv[2]));
        } else if (command == "random" && (argc == 3 || argc == 4)) {
            std::cout << randomScript(shippedTables(), static_cast<unsigned>(std::stoul(argv[2])), argc == 4 ? std::stoi(argv[3]) : 60);
        } else if ((command == "record" && argc >= 3) || (command == "verify" && argc == 3)) {
            std::vector<std::string> scripts(argv + 3, argv + argc);
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[2])) {
                if (argc == 3 && entry.path().extension() == ".script") scripts.push_back(entry.path().string());
            }
            std::sort(scripts.begin(), scripts.end());
            const std::vector<std::string> changed = recordScripts(shippedTables(), argv[2], scripts, command == "record");
            for (const std::string& path : changed) std::cout << path << '\n';
            return command == "verify" && !changed.empty() ? 1 : 0;
        } else {
            std::cerr << "usage: tomokari-check core SCRIPT|- | random SEED [ACTIONS] | record DIR [SCRIPT...] | verify DIR\n";
            return 2;
        }
    } catch (const std::exception& error) {
        std::cerr << "tomokari-check: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
