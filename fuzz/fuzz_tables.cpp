// Table files as they may be found beside the program: whatever they hold, loading gives
// either both tables, read exactly as strtof reads each number, or an error that says which
// file failed and why, in text the start-up message can show.
//
// Input: byte 0 holds the flags below, byte 1 how far before the reader's 4096-byte block
// boundary padding ends (bit 7: pad with commas instead of blanks). The rest, split at the
// byte 0x1E, is chi2prob.dat, power06.dat and, with kNamedDirectory, the directory name.

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tables/reference_tables.h"

namespace {

namespace fs = std::filesystem;
using namespace tomokari;
using fuzz::require;

constexpr unsigned kCriticalMissing = 0x01;
constexpr unsigned kPowerMissing = 0x02;
constexpr unsigned kCriticalIsDirectory = 0x04;
constexpr unsigned kPowerIsDirectory = 0x08;
constexpr unsigned kPadded = 0x10;  // the first numbers straddle the reader's first block boundary
constexpr unsigned kNamedDirectory = 0x20;

constexpr std::size_t kReaderBlock = 4096;
constexpr std::size_t kMaxDetailBytes = 40;

fs::path scratch;

// What loading one file must give: its first `count` numbers, or the first failure.
struct Expected {
    std::vector<float> values;
    std::optional<std::string> badToken;
};

std::optional<float> referenceNumber(const std::string& token) {
    // strtof also reads hexadecimal, "inf", "nan" and leading white space; none is a table number.
    if (token.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(token.c_str(), &end);
    if (end != token.c_str() + token.size() || std::isinf(value)) return std::nullopt;
    return value;  // an underflow reads as strtof rounds it: a subnormal or a signed zero
}

Expected expectedFrom(std::string_view content, std::size_t count) {
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    Expected expected;
    std::string token;
    for (std::size_t i = 0; i <= content.size() && expected.values.size() < count; ++i) {
        const bool separator =
            i == content.size() || std::string_view(",\t\n\r ").find(content[i]) != std::string_view::npos;
        if (!separator) {
            token.push_back(content[i]);
            continue;
        }
        if (token.empty()) continue;
        const std::optional<float> value = referenceNumber(token);
        if (!value) {
            expected.badToken = token;
            return expected;
        }
        expected.values.push_back(*value);
        token.clear();
    }
    return expected;
}

void checkDetail(const std::string& detail, const std::string& token) {
    if (token.size() <= kMaxDetailBytes) {
        require(detail == token, "a short offending token is shown whole", detail);
        return;
    }
    constexpr std::string_view kEllipsis = "…";
    require(detail.ends_with(kEllipsis), "a long offending token is shortened", detail);
    const std::string_view kept = std::string_view(detail).substr(0, detail.size() - kEllipsis.size());
    require(kept.size() + 3 >= kMaxDetailBytes && kept.size() <= kMaxDetailBytes && token.starts_with(kept),
            "a shortened token keeps its first characters", detail);
}

// Checks one file against what was written; false when loading must stop at this file.
bool checkFile(const TableLoadResult& result, const char* name, std::string_view content, bool missing, bool directory,
               std::size_t count, const std::vector<float>& loaded) {
    const auto failedWith = [&](TableFailure failure) {
        require(result.error && result.error->fileName == name && result.error->failure == failure,
                "the error names the file that failed and why");
    };
    if (missing || directory) {
        failedWith(missing ? TableFailure::Missing : TableFailure::Unreadable);
        return false;
    }
    const Expected expected = expectedFrom(content, count);
    if (expected.badToken) {
        failedWith(TableFailure::NotANumber);
        checkDetail(result.error->detail, *expected.badToken);
        return false;
    }
    if (expected.values.size() < count) {
        failedWith(TableFailure::TooFewNumbers);
        require(result.error->detail == std::to_string(expected.values.size()), "the count found is reported");
        return false;
    }
    if (!result.tables) return true;  // the next file may still fail; the caller checks that
    for (std::size_t k = 0; k < count; ++k) {
        require(std::bit_cast<std::uint32_t>(loaded[k]) == std::bit_cast<std::uint32_t>(expected.values[k]),
                "every number reads as strtof reads it");
    }
    return true;
}

void write(const fs::path& path, std::string_view content, bool missing, bool directory) {
    if (missing) return;
    if (directory) {
        fs::create_directory(path);
        return;
    }
    std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Any bytes but '/' and NUL can name a directory; "." and ".." already do.
std::string directoryName(std::string_view wanted) {
    std::string name(wanted.substr(0, 64));
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '_';
    }
    if (name.empty() || name == "." || name == "..") name += "_";
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = fs::temp_directory_path() / ("tomokari-fuzz-tables-" + std::to_string(getpid()));
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned flags = data[0];
    const std::vector<std::string_view> parts =
        fuzz::split({reinterpret_cast<const char*>(data) + 2, size - 2}, '\x1E');
    std::string critical(parts[0]);
    std::string power(parts.size() > 1 ? parts[1] : std::string_view());
    if (flags & kPadded) {
        const std::string padding(kReaderBlock - (data[1] & 0x7F), data[1] & 0x80 ? ',' : ' ');
        critical.insert(0, padding);
        power.insert(0, padding);
    }

    fs::remove_all(scratch);
    fs::path directory = scratch;
    if ((flags & kNamedDirectory) && parts.size() > 2) directory /= directoryName(parts[2]);
    fs::create_directories(directory);
    write(directory / kCriticalValueFileName, critical, flags & kCriticalMissing, flags & kCriticalIsDirectory);
    write(directory / kPowerSampleFileName, power, flags & kPowerMissing, flags & kPowerIsDirectory);

    const TableLoadResult result = loadReferenceTables(directory);
    require(result.tables.has_value() != result.error.has_value(), "either tables or an error");
    if (result.error) {
        const std::string message = result.error->message();
        fuzz::checkShowable(message, "the start-up message is showable");
        require(message.find(result.error->fileName) != std::string::npos, "the message names the file", message);
    }

    std::vector<float> loadedCritical, loadedPower;
    if (result.tables) {
        for (int df = 1; df <= kMaxDegreesOfFreedom; ++df) {
            for (int level = 1; level <= kLevelCount; ++level)
                loadedCritical.push_back(result.tables->critical.at(df, level));
            for (int step = 1; step <= kOmegaStepCount; ++step)
                loadedPower.push_back(result.tables->power.at(df, step));
        }
    }
    const bool criticalRead =
        checkFile(result, kCriticalValueFileName, critical, flags & kCriticalMissing, flags & kCriticalIsDirectory,
                  kMaxDegreesOfFreedom * kLevelCount, loadedCritical);
    const bool powerRead =
        criticalRead && checkFile(result, kPowerSampleFileName, power, flags & kPowerMissing, flags & kPowerIsDirectory,
                                  kMaxDegreesOfFreedom * kOmegaStepCount, loadedPower);
    if (powerRead) require(result.tables.has_value(), "two good files give both tables");
    return 0;
}
