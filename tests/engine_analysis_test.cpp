#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/number_text.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "engine_test_support.h"

namespace tomokari {
namespace {

using testing::shippedTables;
using testing::tableOf;

std::array<std::string, kCellCount> entriesOf(const CrossTable& t) {
    std::array<std::string, kCellCount> entries;
    for (int i = 1; i <= t.rowCount; ++i) {
        for (int j = 1; j <= t.columnCount; ++j) {
            entries[cellIndex(i, j)] = signedSingleText(t.observed[i - 1][j - 1]);
        }
    }
    return entries;
}

ResidualResult residualsOf(const CrossTable& t) { return computeResiduals(t, entriesOf(t), 3); }

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2) lines.push_back(text.substr(start, p - start));
    lines.push_back(text.substr(start));
    return lines;
}

TEST(MarkLevel, ThresholdsThemselvesAreNotExceeded) {
    EXPECT_EQ(markLevel(1.95996), 0);
    EXPECT_EQ(markLevel(2.57583), 1);
    EXPECT_EQ(markLevel(3.290479), 2);
    EXPECT_EQ(markLevel(3.29048), 3);
    EXPECT_EQ(markLevel(1.9599), 0);
    EXPECT_EQ(markLevel(1.9601), 1);
    EXPECT_EQ(markLevel(0), 0);
    EXPECT_STREQ(residualMark(0), "");
    EXPECT_STREQ(residualMark(3), "***");
}

TEST(Residuals, TypicalTwoByTwoCarriesThreeMarksInEveryCell) {
    const CrossTable t = tableOf(2, 2, {"30", "10", "10", "30"});
    const ResidualResult r = residualsOf(t);
    ASSERT_EQ(r.failure.kind, ResidualFailure::None);
    EXPECT_EQ(r.table.cells[0][0].varianceFactor, 0.25);
    const GridTexts texts = residualTexts(t, r.table);
    EXPECT_EQ(texts.cells[0], "\r\n 10\r\n 2.236\r\n 4.472***");
    EXPECT_EQ(texts.cells[1], "\r\n-10\r\n-2.236\r\n-4.472***");
    EXPECT_EQ(texts.cells[5], "\r\n-10\r\n-2.236\r\n-4.472***");
    EXPECT_EQ(texts.cells[6], "\r\n 10\r\n 2.236\r\n 4.472***");
    EXPECT_FALSE(texts.cells[2]);
}

TEST(Residuals, RawResidualTakesTheExpectedValueInSinglePrecision) {
    // E(1, 1) = 100 x 100 / 300 = 100/3, which enters as 33.33333206176758.
    const CrossTable t = tableOf(2, 3, {"40", "30", "30", "60", "70", "70"});
    const ResidualResult r = residualsOf(t);
    ASSERT_EQ(r.failure.kind, ResidualFailure::None);
    EXPECT_EQ(r.table.cells[0][0].residual, 40.0 - 33.33333206176758);
    EXPECT_EQ(r.table.cells[0][0].residualText, " 6.667");
    // A fractional count enters at its decimal value, not its binary one.
    const CrossTable fractional = tableOf(2, 2, {"0.1", "1", "1", "1"});
    const ResidualResult f = residualsOf(fractional);
    EXPECT_EQ(f.table.cells[0][0].residual, 0.1 - static_cast<double>(toSingle(fractional.expected[0][0])));
}

TEST(Residuals, LargeCountsGiveNoResidualsOfTheirOwnRounding) {
    for (const char* value : {"1e30", "12345678", "3e38"}) {
        const CrossTable t = tableOf(2, 2, {value, value, value, value});
        const ResidualResult r = computeResiduals(t, {value, value, "", "", "", value, value}, 3);
        ASSERT_EQ(r.failure.kind, ResidualFailure::None) << value;
        for (int k : {0, 1, 5, 6}) {
            const ResidualCell& cell = r.table.cells[k / 5][k % 5];
            EXPECT_EQ(cell.residualText, " 0") << value << " cell " << k;
            EXPECT_EQ(cell.adjustedText, " 0") << value << " cell " << k;
        }
    }
}

TEST(Residuals, EditedEntriesChangeOnlyTheStandardizedAndAdjustedValues) {
    const CrossTable t = tableOf(2, 2, {"30", "10", "10", "30"});
    auto entries = entriesOf(t);
    entries[0] = "20";
    const ResidualResult r = computeResiduals(t, entries, 3);
    ASSERT_EQ(r.failure.kind, ResidualFailure::None);
    EXPECT_EQ(r.table.cells[0][0].residualText, " 10");
    EXPECT_EQ(r.table.cells[0][0].standardizedText, " 0");
    EXPECT_EQ(r.table.cells[0][0].adjustedText, " 0");
    EXPECT_EQ(r.table.cells[0][1].adjustedText, "-4.472***");
}

TEST(Residuals, MarginsOfZeroOrBelowAreReportedNotDividedBy) {
    const ResidualResult zeroColumn = residualsOf(tableOf(2, 3, {"1", "0", "3", "4", "0", "6"}));
    EXPECT_EQ(zeroColumn.failure.kind, ResidualFailure::NonPositiveColumnTotal);
    EXPECT_EQ(zeroColumn.failure.column, 2);
    EXPECT_NE(zeroColumn.failure.message().find("列 2"), std::string::npos);

    const ResidualResult negativeRow = residualsOf(tableOf(2, 2, {"5", "5", "-3", "1"}));
    EXPECT_EQ(negativeRow.failure.kind, ResidualFailure::NonPositiveRowTotal);
    EXPECT_EQ(negativeRow.failure.row, 2);

    EXPECT_EQ(residualsOf(tableOf(2, 2, {"", "", "", ""})).failure.kind, ResidualFailure::NonPositiveRowTotal);
    EXPECT_EQ(residualsOf(tableOf(2, 2, {"1e39", "1", "1", "1"})).failure.kind, ResidualFailure::NotComputable);
    EXPECT_EQ(residualsOf(tableOf(1, 3, {"1", "2", "3"})).failure.kind, ResidualFailure::NotComputable);
}

TEST(Residuals, EveryEntryMustHoldExactlyOneNumber) {
    const CrossTable t = tableOf(3, 3, {"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    for (const char* bad : {"", " ", "12abc", "abc", "3 4", "1,000", "inf", "nan", "1e", "--1", "0x10"}) {
        auto entries = entriesOf(t);
        entries[cellIndex(2, 3)] = bad;
        const ResidualResult r = computeResiduals(t, entries, 3);
        EXPECT_EQ(r.failure.kind, ResidualFailure::EntryNotANumber) << bad;
        EXPECT_EQ(r.failure.row, 2) << bad;
        EXPECT_EQ(r.failure.column, 3) << bad;
    }
    const ResidualFailure entryFailure{ResidualFailure::EntryNotANumber, 2, 3};
    EXPECT_NE(entryFailure.message().find("行 2・列 3"), std::string::npos);
    double value = 0;
    for (const char* good : {" 12 ", "+4", "-2.5", "1e2", ".5", "5."}) EXPECT_TRUE(parseWholeNumber(good, value)) << good;
    EXPECT_TRUE(parseWholeNumber("\t7\t", value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(parseWholeNumber("　１２　", value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(parseWholeNumber("１２個", value));
}

TEST(Residuals, ExplanationHasEightLines) {
    const auto lines = linesOf(residualExplanation());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], "　絶対値が 1.95996よりも大きいと  5%で有意 *");
    EXPECT_EQ(lines[7], "　絶対値が 3.29048よりも大きいと 0.1%で有意 ***");
}

TEST(Power, OmegaStepsComeFromRepeatedAddition) {
    const auto steps = omegaSteps();
    EXPECT_EQ(steps[0], 0.1);
    EXPECT_EQ(steps[1], 0.15000000000000002);
    EXPECT_EQ(steps[6], 0.39999999999999997);
    EXPECT_EQ(steps[7], 0.44999999999999996);
    EXPECT_EQ(steps[8], 0.49999999999999994);
}

TEST(Power, EstimatesAtTheEdgesAndBetweenSteps) {
    const PowerSampleTable& table = shippedTables().power;
    auto estimate = [&](double chiSquare, double n, int df) {
        return estimateSampleSize(*omegavalue(chiSquare, n), df, table);
    };
    EXPECT_EQ(*omegavalue(1, 100), 0.1);
    const SampleSizeEstimate atLeast = estimate(1, 100, 1);
    EXPECT_EQ(atLeast.kind, SampleSizeEstimate::AtLeast);
    EXPECT_EQ(atLeast.number, table.at(1, 1));
    EXPECT_EQ(estimate(0, 100, 4).kind, SampleSizeEstimate::AtLeast);

    const SampleSizeEstimate atMost = estimate(25, 100, 1);  // 0.5 lies above the ninth step
    EXPECT_EQ(atMost.kind, SampleSizeEstimate::AtMost);
    EXPECT_EQ(atMost.number, table.at(1, 9));

    for (int df : {1, 2, 3, 4, 6, 8, 9, 12}) {
        const SampleSizeEstimate about = estimate(9, 100, df);  // omega 0.3: the fifth step
        EXPECT_EQ(about.kind, SampleSizeEstimate::About) << df;
        EXPECT_EQ(about.number, table.at(df, 5)) << df;
    }
    // Halfway between the first two steps, rounded to a whole number.
    const SampleSizeEstimate half = estimateSampleSize(0.125, 1, table);
    EXPECT_EQ(half.kind, SampleSizeEstimate::About);
    EXPECT_EQ(half.number, std::round((table.at(1, 1) + table.at(1, 2)) / 2));
}

TEST(Power, OmegaThatCannotBeComputedIsRefused) {
    EXPECT_FALSE(omegavalue(10, 0));
    EXPECT_FALSE(omegavalue(10, -5));
    EXPECT_FALSE(omegavalue(-10, 5));
    EXPECT_FALSE(omegavalue(10, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(omegavalue(std::nan(""), 5));
    EXPECT_FALSE(omegavalue(1e308, 1e-308));
}

TEST(Power, ReportHasTwentyLinesWithEveryBlankInPlace) {
    const PowerSampleTable& table = shippedTables().power;
    const double omega = *omegavalue(9, 100);
    const auto lines = linesOf(powerReport(omega, 4, estimateSampleSize(omega, 4, table), table, 3));
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "▼検定力分析のために　Power (1-β)");
    EXPECT_EQ(lines[1], "　効果量 Effect Size　　ω=  .3　　(df= 4)");
    EXPECT_EQ(lines[6], "[参考] 有意水準 α=5%として、検定力(1-β)=60% を実現するのに必要な全データ数は概算(単純補間)で  " +
                            std::to_string(static_cast<int>(table.at(4, 5))) + " 程度です。");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[9], "　　全データ数= " + signedSingleText(table.at(4, 1)) + "　(ω=0.1と効果量小ならば)");
    EXPECT_EQ(lines[17], "　　全データ数= " + signedSingleText(table.at(4, 9)) + "　(ω=0.5と効果量大ならば)");
    EXPECT_EQ(lines[19], "  　　ω =√(χ2値 / 全度数) ");

    const auto small = linesOf(powerReport(0.1, 1, estimateSampleSize(0.1, 1, table), table, 3));
    EXPECT_EQ(small[1], "　効果量 Effect Size　　ω=  .1　　(df= 1)");
    EXPECT_TRUE(small[6].ends_with("全データ数は 490以上です。")) << small[6];
    // omega is shown with one decimal more than the other values.
    EXPECT_EQ(linesOf(powerReport(0.12345, 1, estimateSampleSize(0.12345, 1, table), table, 3))[1],
              "　効果量 Effect Size　　ω=  .1234　　(df= 1)");
}

}  // namespace
}  // namespace tomokari

namespace tomokari {
namespace {

// Found by fuzzing: an entry the residual step accepts must hold the number a cell reads
// from it. "+-5" was analysed as -5 while the cell read 0, and "1e-400", a zero to a cell,
// was refused as no number.
TEST(Residuals, EntriesHoldTheNumberTheCellsRead) {
    double value = 7;
    for (const char* bad : {"+-5", "＋－５", "++5"}) EXPECT_FALSE(parseWholeNumber(bad, value)) << bad;
    EXPECT_TRUE(parseWholeNumber("+5", value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(parseWholeNumber("1e-400", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(parseWholeNumber(" -1e-400 ", value));
    EXPECT_TRUE(value == 0 && std::signbit(value));
    EXPECT_FALSE(parseWholeNumber("1e400", value));

    const CrossTable t = tableOf(2, 2, {"10", "20", "30", "40"});
    auto entries = entriesOf(t);
    entries[cellIndex(1, 2)] = "+-5";
    const ResidualResult refused = computeResiduals(t, entries, 3);
    EXPECT_EQ(refused.failure.kind, ResidualFailure::EntryNotANumber);
    EXPECT_EQ(refused.failure.row, 1);
    EXPECT_EQ(refused.failure.column, 2);
    entries[cellIndex(1, 2)] = "1e-400";
    EXPECT_EQ(computeResiduals(t, entries, 3).failure.kind, ResidualFailure::None);
}

}  // namespace
}  // namespace tomokari
