#pragma once
// The two reference tables read at start-up from the program's directory:
// critical chi-square values and the total sample sizes needed for a power of 0.6.

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace tomokari {

constexpr int kMaxDegreesOfFreedom = 12;
constexpr int kLevelCount = 3;      // 1 = 5 %, 2 = 1 %, 3 = 0.1 %
constexpr int kOmegaStepCount = 9;  // omega = 0.10, 0.15, ..., 0.50

// Critical chi-square values in single precision, indexed by df 1..12 and level 1..3.
// Slot 0 of either index is unused so that indexes read as in the statistics texts.
struct CriticalValueTable {
    std::array<std::array<float, kLevelCount + 1>, kMaxDegreesOfFreedom + 1> value{};

    // 0 for an index outside the table; callers only pass df 1..12 and level 1..3.
    float at(int df, int level) const;
};

// Total sample sizes (whole numbers, single precision), indexed by df 1..12 and omega step 1..9.
struct PowerSampleTable {
    std::array<std::array<float, kOmegaStepCount + 1>, kMaxDegreesOfFreedom + 1> value{};

    float at(int df, int step) const;
};

struct ReferenceTables {
    CriticalValueTable critical;
    PowerSampleTable power;
};

constexpr const char* kCriticalValueFileName = "chi2prob.dat";
constexpr const char* kPowerSampleFileName = "power06.dat";

enum class TableFailure { Missing, Unreadable, TooFewNumbers, NotANumber, OutOfRange };

struct TableLoadError {
    std::string fileName;  // chi2prob.dat or power06.dat
    std::filesystem::path path;
    TableFailure failure = TableFailure::Missing;
    std::string detail;  // the offending token for NotANumber and OutOfRange; the count found for TooFewNumbers

    // One Japanese sentence naming the file and the reason, for the start-up message.
    std::string message() const;
};

struct TableLoadResult {
    std::optional<ReferenceTables> tables;  // set on success
    std::optional<TableLoadError> error;    // set on failure
};

// Reads chi2prob.dat (36 numbers) and then power06.dat (108 numbers) from `directory`.
// Numbers are separated by commas, blanks, tabs or line breaks in any mix; numbers after
// the last one needed are never read. A missing or unreadable file, too few numbers, or a
// token that is not a decimal number, or one beyond single precision, refuses the whole load.
TableLoadResult loadReferenceTables(const std::filesystem::path& directory);

// The same load from the two files' contents, read by the caller (nullopt: the file is
// missing). Errors name the files inside `shownDirectory`, which is never looked at.
TableLoadResult loadReferenceTables(const std::optional<std::string>& criticalFile,
                                    const std::optional<std::string>& powerFile,
                                    const std::filesystem::path& shownDirectory);

}  // namespace tomokari
