#include "tables/reference_tables.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tomokari;

namespace {

// Distinct values exact in single precision, so a value in the wrong slot shows up.
std::vector<std::string> criticalTokens() {
    std::vector<std::string> tokens;
    for (int i = 0; i < 36; ++i) tokens.push_back(std::to_string(i) + ".25");
    return tokens;
}
std::vector<std::string> powerTokens() {
    std::vector<std::string> tokens;
    for (int i = 0; i < 108; ++i) tokens.push_back(std::to_string(2000 - 7 * i));
    return tokens;
}

std::string join(const std::vector<std::string>& tokens, const std::string& separator,
                 std::size_t count = SIZE_MAX) {
    std::string text;
    for (std::size_t i = 0; i < tokens.size() && i < count; ++i) text += (i ? separator : "") + tokens[i];
    return text;
}

class TableFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("tomokari-tables-" + std::string(info->name()) + "-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_ / kCriticalValueFileName, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }

    void write(const char* name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    void writeBoth(const std::string& critical, const std::string& power) {
        write(kCriticalValueFileName, critical);
        write(kPowerSampleFileName, power);
    }
    void writeGood() { writeBoth(join(criticalTokens(), "\n"), join(powerTokens(), "\n")); }

    TableLoadError loadFailure() {
        TableLoadResult result = loadReferenceTables(dir_);
        EXPECT_FALSE(result.tables.has_value());
        return result.error.value_or(TableLoadError{"(loaded)", {}, TableFailure::Missing, {}});
    }

    static void expectCanonicalValues(const TableLoadResult& result) {
        ASSERT_TRUE(result.tables.has_value()) << result.error->message();
        const auto critical = criticalTokens();
        const auto power = powerTokens();
        for (int df = 1; df <= 12; ++df) {
            for (int level = 1; level <= 3; ++level)
                EXPECT_EQ(result.tables->critical.at(df, level), std::stof(critical[(df - 1) * 3 + level - 1]));
            for (int step = 1; step <= 9; ++step)
                EXPECT_EQ(result.tables->power.at(df, step), std::stof(power[(df - 1) * 9 + step - 1]));
        }
    }

    fs::path dir_;
};

TEST(ShippedTables, LoadAndAgreeWithPublishedCriticalValues) {
    const TableLoadResult result = loadReferenceTables(TOMOKARI_SHIPPED_TABLE_DIR);
    ASSERT_TRUE(result.tables.has_value()) << result.error->message();
    const CriticalValueTable& critical = result.tables->critical;
    // The values that the main window's degrees-of-freedom note quotes to four decimals.
    const struct { int df, level; double value; } quoted[] = {
        {1, 1, 3.8414}, {1, 2, 6.6348}, {2, 1, 5.9914}, {2, 2, 9.2103}, {4, 1, 9.4878}, {4, 2, 13.2767}};
    for (const auto& q : quoted) {
        EXPECT_NEAR(critical.at(q.df, q.level), q.value, 1e-4) << "df " << q.df << " level " << q.level;
    }
    // Row-major order check: stricter levels and more degrees of freedom need larger values.
    for (int df = 1; df <= 12; ++df)
        for (int level = 1; level <= 3; ++level) {
            if (level > 1) {
                EXPECT_GT(critical.at(df, level), critical.at(df, level - 1));
            }
            if (df > 1) {
                EXPECT_GT(critical.at(df, level), critical.at(df - 1, level));
            }
        }
}

TEST(ShippedTables, SampleSizesAreWholeAndFallAsOmegaGrows) {
    const TableLoadResult result = loadReferenceTables(TOMOKARI_SHIPPED_TABLE_DIR);
    ASSERT_TRUE(result.tables.has_value()) << result.error->message();
    const PowerSampleTable& power = result.tables->power;
    for (int df = 1; df <= 12; ++df)
        for (int step = 1; step <= 9; ++step) {
            const float n = power.at(df, step);
            EXPECT_GE(n, 1.0f);
            EXPECT_EQ(n, std::floor(n));
            if (step > 1) {
                EXPECT_LT(n, power.at(df, step - 1)) << "df " << df << " step " << step;
            }
            if (df > 1) {
                EXPECT_GT(n, power.at(df - 1, step)) << "df " << df << " step " << step;
            }
        }
}

TEST_F(TableFilesTest, EverySeparatorLayoutLoadsTheSameValues) {
    const auto c = criticalTokens();
    const auto p = powerTokens();
    const struct { const char* name; std::string critical, power; } layouts[] = {
        {"one per line", join(c, "\n"), join(p, "\n")},
        {"one line, commas", join(c, ","), join(p, ",")},
        {"generator style", join(c, ", "), join(p, ", ")},
        {"mixed runs", join(c, " ,\t,, \n\t"), join(p, "\t \n ,")},
        {"CR LF", join(c, "\r\n") + "\r\n", join(p, ",\r\n") + "\r\n"},
        {"byte order mark", "\xEF\xBB\xBF" + join(c, "\n"), "\xEF\xBB\xBF" + join(p, ", ")},
        {"leading and trailing blanks", "\n\n  " + join(c, " ") + " \n\n", "\t" + join(p, " ") + "\n"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        writeBoth(layout.critical, layout.power);
        expectCanonicalValues(loadReferenceTables(dir_));
    }
}

TEST_F(TableFilesTest, AcceptsSignsExponentsAndTheEdgesOfFloatRange) {
    auto c = criticalTokens();
    c[0] = "+1.05";
    c[1] = "12.5e-1";
    c[2] = "0.0175E+2";
    c[3] = "3.4028235e38";  // largest float
    c[4] = "-1e-50";        // rounds to zero, which is still a finite number
    writeBoth(join(c, " "), join(powerTokens(), " "));
    const TableLoadResult result = loadReferenceTables(dir_);
    ASSERT_TRUE(result.tables.has_value()) << result.error->message();
    EXPECT_EQ(result.tables->critical.at(1, 1), 1.05f);
    EXPECT_EQ(result.tables->critical.at(1, 2), 1.25f);
    EXPECT_EQ(result.tables->critical.at(1, 3), 1.75f);
    EXPECT_EQ(result.tables->critical.at(2, 1), 3.4028235e38f);
    EXPECT_EQ(result.tables->critical.at(2, 2), 0.0f);
}

TEST_F(TableFilesTest, IgnoresEverythingAfterTheLastNeededNumber) {
    writeBoth(join(criticalTokens(), ", ") + ", 99, not a number\n\xFF\xFE",
              join(powerTokens(), "\n") + "\n1e39 nan ???");
    expectCanonicalValues(loadReferenceTables(dir_));
}

TEST_F(TableFilesTest, TooFewNumbersReportsHowManyWereFound) {
    const struct { std::string critical, power, file, found; } cases[] = {
        {join(criticalTokens(), ",", 35), join(powerTokens(), ","), kCriticalValueFileName, "35"},
        {"", join(powerTokens(), ","), kCriticalValueFileName, "0"},
        {"\xEF\xBB\xBF \r\n,\t", join(powerTokens(), ","), kCriticalValueFileName, "0"},
        {join(criticalTokens(), ","), join(powerTokens(), "\n", 107) + "\n", kPowerSampleFileName, "107"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.file + " with " + t.found);
        writeBoth(t.critical, t.power);
        const TableLoadError error = loadFailure();
        EXPECT_EQ(error.failure, TableFailure::TooFewNumbers);
        EXPECT_EQ(error.fileName, t.file);
        EXPECT_EQ(error.detail, t.found);
    }
}

TEST_F(TableFilesTest, MissingFilesAreReportedInReadingOrder) {
    write(kPowerSampleFileName, join(powerTokens(), ","));
    EXPECT_EQ(loadFailure().fileName, kCriticalValueFileName);

    fs::remove(dir_ / kPowerSampleFileName);
    write(kCriticalValueFileName, join(criticalTokens(), ","));
    const TableLoadError error = loadFailure();
    EXPECT_EQ(error.failure, TableFailure::Missing);
    EXPECT_EQ(error.fileName, kPowerSampleFileName);
    EXPECT_EQ(error.path, fs::absolute(dir_ / kPowerSampleFileName));

    // A broken first file is reported even when the second one is missing as well.
    write(kCriticalValueFileName, "1 2 x");
    EXPECT_EQ(loadFailure().fileName, kCriticalValueFileName);
}

TEST_F(TableFilesTest, DirectoryInPlaceOfAFileIsUnreadable) {
    write(kPowerSampleFileName, join(powerTokens(), ","));
    fs::create_directory(dir_ / kCriticalValueFileName);
    const TableLoadError error = loadFailure();
    EXPECT_EQ(error.failure, TableFailure::Unreadable);
    EXPECT_EQ(error.fileName, kCriticalValueFileName);
}

TEST_F(TableFilesTest, FileWithoutReadPermissionIsUnreadable) {
    writeGood();
    fs::permissions(dir_ / kCriticalValueFileName, fs::perms::none);
    if (std::ifstream(dir_ / kCriticalValueFileName).is_open()) GTEST_SKIP() << "permissions not enforced";
    EXPECT_EQ(loadFailure().failure, TableFailure::Unreadable);
}

TEST_F(TableFilesTest, NonNumbersAreRejectedWithTheOffendingToken) {
    const std::string tokens[] = {"abc", "3.84x", "1.2.3", "0x10", "1e", "--1", "+-1", "3;84",
                                  "nan", "inf", "-infinity", "1e39", "-3.5e38", "\xE3\x81\x82"};
    for (const std::string& bad : tokens) {
        SCOPED_TRACE(bad);
        auto c = criticalTokens();
        c[35] = bad;  // the last needed number is still checked
        writeBoth(join(c, "\n"), join(powerTokens(), "\n"));
        const TableLoadError error = loadFailure();
        EXPECT_EQ(error.failure, TableFailure::NotANumber);
        EXPECT_EQ(error.fileName, kCriticalValueFileName);
        EXPECT_EQ(error.detail, bad);
    }
}

TEST_F(TableFilesTest, LongTokenIsShortenedOnACharacterBoundary) {
    std::string longToken;
    for (int i = 0; i < 30; ++i) longToken += "\xE6\x95\xB0";  // 90 bytes of 3-byte characters
    writeBoth(longToken, join(powerTokens(), " "));
    const TableLoadError error = loadFailure();
    EXPECT_EQ(error.failure, TableFailure::NotANumber);
    EXPECT_LE(error.detail.size(), 40u + 3u);  // plus the ellipsis
    EXPECT_EQ(error.detail.rfind("\xE6\x95\xB0\xE6\x95\xB0", 0), 0u);
    EXPECT_EQ(error.detail.size() % 3, 0u) << "cut inside a character";
}

TEST(TableLoadErrorMessage, NamesFileFullPathAndReason) {
    const fs::path path = "/opt/tomokari/bin/chi2prob.dat";
    const struct { TableFailure failure; std::string detail; std::vector<std::string> mustContain; } cases[] = {
        {TableFailure::Missing, "", {"見つかりません"}},
        {TableFailure::Unreadable, "", {"読み込めません"}},
        {TableFailure::TooFewNumbers, "35", {"足りません", "36 個", "35 個"}},
        {TableFailure::TooFewNumbers, "0", {"数値がありません", "36 個"}},
        {TableFailure::NotANumber, "abc", {"数値でない値「abc」"}},
    };
    for (const auto& t : cases) {
        const std::string message = TableLoadError{"chi2prob.dat", path, t.failure, t.detail}.message();
        SCOPED_TRACE(message);
        EXPECT_NE(message.find("chi2prob.dat "), std::string::npos);
        EXPECT_NE(message.find(path.string()), std::string::npos);
        for (const std::string& part : t.mustContain) EXPECT_NE(message.find(part), std::string::npos);
    }
}

TEST(TableLoadErrorMessage, StaysValidTextForBinaryGarbage) {
    const std::string message =
        TableLoadError{"power06.dat", "/tmp/x\n/power06.dat", TableFailure::NotANumber, "a\xFF\x01\xE3\x81"}
            .message();
    EXPECT_NE(message.find("「a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD」"), std::string::npos) << message;
    EXPECT_NE(message.find("/tmp/x\xEF\xBF\xBD/power06.dat"), std::string::npos) << message;
}

TEST(TableIndexing, OutOfRangeIndexesGiveZero) {
    ReferenceTables tables;
    for (auto& row : tables.critical.value) row.fill(7.0f);
    for (auto& row : tables.power.value) row.fill(9.0f);
    EXPECT_EQ(tables.critical.at(1, 1), 7.0f);
    EXPECT_EQ(tables.critical.at(12, 3), 7.0f);
    EXPECT_EQ(tables.power.at(12, 9), 9.0f);
    const std::pair<int, int> outside[] = {{0, 1}, {13, 1}, {1, 0}, {-1, 2}, {INT_MIN, INT_MAX}};
    for (const auto& [df, index] : outside) {
        EXPECT_EQ(tables.critical.at(df, index), 0.0f) << df << "," << index;
        EXPECT_EQ(tables.power.at(df, index), 0.0f) << df << "," << index;
    }
    EXPECT_EQ(tables.critical.at(1, 4), 0.0f);
    EXPECT_EQ(tables.power.at(1, 10), 0.0f);
}

}  // namespace

namespace {

// Found while writing the fuzzers' independent reading: exponents were cut to seven digits,
// so a million zeros after the point outweighed an eight-digit exponent and a number far
// beyond the float range was taken for one too small for it, and read as 0.
TEST_F(TableFilesTest, HugeNumberBehindAMillionZerosIsRefused) {
    const std::string zeros(1'500'000, '0');
    writeBoth("0." + zeros + "1e10000000 " + join(criticalTokens(), " "), join(powerTokens(), " "));
    const TableLoadError error = loadFailure();
    EXPECT_EQ(error.failure, TableFailure::NotANumber);
    EXPECT_EQ(error.fileName, kCriticalValueFileName);

    writeBoth("-0." + zeros + "1e1400000 " + join(criticalTokens(), " "), join(powerTokens(), " "));
    const TableLoadResult tiny = loadReferenceTables(dir_);
    ASSERT_TRUE(tiny.tables.has_value()) << tiny.error->message();
    EXPECT_EQ(tiny.tables->critical.at(1, 1), 0.0f);
    EXPECT_TRUE(std::signbit(tiny.tables->critical.at(1, 1)));
}

}  // namespace
