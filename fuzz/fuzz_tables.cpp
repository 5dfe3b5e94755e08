// Any bytes as the two table files: chi2prob.dat up to the first byte 0x1E, power06.dat after it
// (missing without it). Loading gives both tables, each number as strtof reads its token, or else the
// first failure in file order, with a valid UTF-8 message naming the file.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>

#include "fuzz/fuzz_checks.h"
#include "tables/reference_tables.h"

using namespace tomokari;
using namespace tomokari::fuzz;

static constexpr const char* kSeparators = ",\t\n\r ";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto scratch = std::filesystem::temp_directory_path() / ("tomokari-fuzz-" + std::to_string(getpid()));
    [[maybe_unused]] static const int cleanup = std::atexit([] { std::filesystem::remove_all(scratch); });
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\x1E');
    const std::optional<std::string_view> contents[] = {input.substr(0, cut),
        cut == std::string_view::npos ? std::nullopt : std::optional(input.substr(cut + 1))};
    const char* names[] = {kCriticalValueFileName, kPowerSampleFileName};
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
    for (int f = 0; f < 2; ++f)
        if (contents[f]) std::ofstream(scratch / names[f], std::ios::binary) << *contents[f];
    const TableLoadResult result = loadReferenceTables(scratch);

    for (int f = 0; f < 2; ++f) {
        std::optional<TableFailure> failure = contents[f] ? std::nullopt : std::optional(TableFailure::Missing);
        std::string_view content = contents[f].value_or("");
        if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
        const int perRow = f ? kOmegaStepCount : kLevelCount, count = kMaxDegreesOfFreedom * perRow;
        int found = 0;
        for (auto at = content.find_first_not_of(kSeparators); !failure && at != content.npos && found < count;
             at = content.find_first_not_of(kSeparators, at), ++found) {
            const std::string token(content.substr(at, content.find_first_of(kSeparators, at) - at));
            at += token.size();
            char* end = nullptr;
            const float value = std::strtof(token.c_str(), &end);
            // strtof also takes hexadecimal, "inf", "nan" and leading white space; a table does not.
            if (token.find_first_not_of("0123456789+-.eE") != std::string::npos || *end) {
                failure = TableFailure::NotANumber;
            } else if (std::isinf(value)) {
                failure = TableFailure::OutOfRange;
            } else if (result.tables) {
                const int df = found / perRow + 1, column = found % perRow + 1;
                const float loaded = f ? result.tables->power.at(df, column) : result.tables->critical.at(df, column);
                require(loaded == value && std::signbit(loaded) == std::signbit(value), "read as strtof", token);
            }
        }
        if (!failure && found == count) continue;
        require(!result.tables && result.error && result.error->fileName == names[f] &&
                    result.error->failure == failure.value_or(TableFailure::TooFewNumbers),
                "the first file that fails is named with its reason", names[f]);
        const std::string message = result.error->message();  // for the start-up dialog
        require(isValidUtf8(message) && message.find(names[f]) != message.npos, "the message names the file", message);
        return 0;
    }
    require(result.tables && !result.error, "two good files give both tables");
    return 0;
}
