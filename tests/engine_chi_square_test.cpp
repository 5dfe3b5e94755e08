#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/chi_square.h"
#include "engine/number_text.h"
#include "engine/window_texts.h"
#include "engine_test_support.h"

namespace tomokari {
namespace {

using testing::shippedTables;
using testing::tableOf;

std::string line(const std::string& text, int number) {
    size_t start = 0;
    for (int n = 1; n < number; ++n) start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

int lineCount(const std::string& text) {
    int count = 1;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++count;
    return count;
}

const CriticalValueTable& critical() { return shippedTables().critical; }

TEST(ChiSquareTest, OneRowGoodnessOfFit) {
    const ChiSquareResult r = computeChiSquareTest(tableOf(1, 2, {"30", "10"}), critical());
    ASSERT_FALSE(r.expectedZero);
    EXPECT_EQ(r.contribution[0][0], 5);
    EXPECT_EQ(r.contribution[0][1], 5);
    EXPECT_EQ(r.chiSquare, 10);
    EXPECT_EQ(r.degreesOfFreedom, 1);
    EXPECT_EQ(r.significanceLevel, 2);
    EXPECT_NEAR(r.likelihoodRatio, 2 * (30 * std::log(1.5) + 10 * std::log(0.5)), 1e-12);
    EXPECT_EQ(r.likelihoodLevel, 2);

    const std::string block = resultBlock(12, r, 3);
    EXPECT_EQ(lineCount(block), 3);
    EXPECT_EQ(line(block, 1), "適合度の検定 df= (2-1)= 1");
    EXPECT_EQ(line(block, 2), "●χ2=  10**　(1%で有意)");
    EXPECT_EQ(line(block, 3), "★尤度比検定　χ2=  10.465**　(1%で有意)");
}

TEST(ChiSquareTest, TypicalTwoByTwoRunFillsEveryBox) {
    const CrossTable t = tableOf(2, 2, {"30", "10", "10", "30"});
    const ChiSquareResult r = computeChiSquareTest(t, critical());
    EXPECT_EQ(r.chiSquare, 20);
    EXPECT_EQ(r.significanceLevel, 3);
    EXPECT_EQ(r.likelihoodLevel, 3);

    const GridTexts form3 = expectedWindowTest(t, r, 3);
    for (int k : {0, 1, 5, 6}) EXPECT_EQ(form3.cells[k], " 20\r\n 5");
    EXPECT_EQ(form3.rowBoxes[0], " 40\r\n 10");
    EXPECT_EQ(form3.rowBoxes[1], " 40\r\n 10");
    EXPECT_EQ(form3.columnBoxes[0], " 40\r\n 10");
    EXPECT_EQ(form3.grandBox, " 80\r\n 20");
    // A level-3 likelihood line has a plain blank where the chi-square line has U+3000.
    EXPECT_EQ(*form3.note,
              "独立性の検定 df= (2-1)x(2-1)= 1\r\n●χ2=  20***　(0.1%で有意)\r\n★尤度比検定　χ2=  20.93*** (0.1%で有意)");

    const GridTexts residuals = rawResidualTexts(t, 3);
    EXPECT_EQ(residuals.cells[0], "\r\n 10");
    EXPECT_EQ(residuals.cells[1], "\r\n-10");
    EXPECT_FALSE(residuals.cells[2]);
}

TEST(ChiSquareTest, OneRowKeepsItsColumnAndGrandBoxes) {
    const CrossTable t = tableOf(1, 5, {"10", "20", "30", "20", "20"});
    const ChiSquareResult r = computeChiSquareTest(t, critical());
    const GridTexts form3 = expectedWindowTest(t, r, 3);
    EXPECT_FALSE(form3.columnBoxes[0]);
    EXPECT_FALSE(form3.grandBox);
    EXPECT_EQ(form3.rowBoxes[0], " 100\r\n 10");
    EXPECT_EQ(line(*form3.note, 1), "χ2値に基づく適合度検定　(df=  4 )");
}

TEST(ChiSquareTest, TitlesNameTheShapeAndDegreesOfFreedom) {
    ChiSquareResult r;
    r.degreesOfFreedom = 12;
    EXPECT_EQ(line(resultBlock(45, r, 3), 1), "χ2値に基づく独立性の検定　(df=  12 )");
    r.degreesOfFreedom = 2;
    EXPECT_EQ(line(resultBlock(13, r, 3), 1), "適合度検定 df= (3-1)= 2");
    EXPECT_EQ(line(resultBlock(23, r, 3), 1), "独立性の検定 df= (2-1)x(3-1)= 2");
    EXPECT_EQ(line(resultBlock(32, r, 3), 1), "独立性の検定 df= (3-1)x(2-1)= 2");
    r.degreesOfFreedom = 4;
    EXPECT_EQ(line(resultBlock(33, r, 3), 1), "独立性の検定 df= (3-1)x(3-1)= 4");
    r.degreesOfFreedom = 3;
    EXPECT_EQ(line(resultBlock(24, r, 3), 1), "χ2値に基づく独立性の検定　(df=  3 )");
}

TEST(ChiSquareTest, StatisticsBelowOneHaveNoLeadingZero) {
    ChiSquareResult r;
    r.chiSquare = 0.4;
    EXPECT_EQ(line(resultBlock(22, r, 3), 2), "●χ2=  .4　(有意はでない)");
}

TEST(SignificanceLevel, ABoundItselfIsNotExceeded) {
    const CriticalValueTable& c = critical();
    for (int df = 1; df <= kMaxDegreesOfFreedom; ++df) {
        EXPECT_EQ(significanceLevel(c.at(df, 1), df, c), 0) << df;
        EXPECT_EQ(significanceLevel(c.at(df, 2), df, c), 1) << df;
        EXPECT_EQ(significanceLevel(c.at(df, 3), df, c), 2) << df;
        EXPECT_EQ(significanceLevel(std::nextafter(static_cast<double>(c.at(df, 3)), 1e9), df, c), 3) << df;
        EXPECT_EQ(significanceLevel(0, df, c), 0) << df;
    }
}

TEST(SignificanceLevel, LikelihoodRatioIsJudgedInSinglePrecision) {
    // Find a G^2 that lies just above its own single-precision value.
    for (int first = 30; first < 60; ++first) {
        const CrossTable t = tableOf(1, 2, {std::to_string(first), "10"});
        const double g2 = computeLikelihoodRatio(t, 1, critical()).value;
        const float narrowed = static_cast<float>(g2);
        if (!(g2 > static_cast<double>(narrowed))) continue;
        CriticalValueTable c;
        c.value[1] = {0, 1.0f, narrowed, 1e9f};
        EXPECT_EQ(computeLikelihoodRatio(t, 1, c).level, 1);
        c.value[1] = {0, narrowed, 1e8f, 1e9f};
        EXPECT_EQ(computeLikelihoodRatio(t, 1, c).level, 0);
        return;
    }
    FAIL() << "no G^2 above its single-precision value found";
}

TEST(ChiSquareTest, ZeroExpectedValueStopsTheTest) {
    const ChiSquareResult r = computeChiSquareTest(tableOf(2, 3, {"1", "0", "3", "4", "0", "6"}), critical());
    EXPECT_TRUE(r.expectedZero);
    EXPECT_EQ(r.contribution[0][1], 0);
    EXPECT_TRUE(computeChiSquareTest(tableOf(1, 3, {"0", "0", "0"}), critical()).expectedZero);
    EXPECT_TRUE(computeChiSquareTest(tableOf(3, 3, {}), critical()).expectedZero);
}

TEST(ChiSquareTest, ValuesBeyondSinglePrecisionCannotBeComputed) {
    const ChiSquareResult r = computeChiSquareTest(tableOf(2, 2, {"1e39", "1", "1", "1"}), critical());
    EXPECT_TRUE(r.notComputable);
    EXPECT_FALSE(r.expectedZero);
    const ChiSquareResult huge = computeChiSquareTest(
        tableOf(2, 2, {"3e38", "-3e38", "1e-45", "1e-45"}), critical());
    EXPECT_TRUE(huge.notComputable || std::isfinite(huge.chiSquare));
}

TEST(LikelihoodRatio, ZeroOrNegativeFrequencyIsNotComputable) {
    const CrossTable zero = tableOf(2, 2, {"10", "0", "5", "5"});
    const ChiSquareResult r = computeChiSquareTest(zero, critical());
    EXPECT_FALSE(r.expectedZero);
    EXPECT_GT(r.chiSquare, 0);
    EXPECT_EQ(r.likelihoodRatio, 0);
    EXPECT_EQ(r.likelihoodLevel, kLikelihoodNotComputable);
    EXPECT_EQ(line(resultBlock(22, r, 3), 3), "★尤度比検定　χ2=  0　度数ゼロで計算不可。");

    const ChiSquareResult negative = computeChiSquareTest(tableOf(2, 2, {"-3", "5", "5", "5"}), critical());
    EXPECT_EQ(negative.likelihoodLevel, kLikelihoodNotComputable);
    // Both negative: O / E would be positive, yet a negative frequency has no logarithm term.
    const ChiSquareResult bothNegative = computeChiSquareTest(tableOf(2, 2, {"-3", "-5", "-5", "-5"}), critical());
    EXPECT_EQ(bothNegative.likelihoodLevel, kLikelihoodNotComputable);
}

TEST(LikelihoodRatio, FractionalAndPerfectFits) {
    const ChiSquareResult fit = computeChiSquareTest(tableOf(2, 2, {"5", "5", "5", "5"}), critical());
    EXPECT_EQ(fit.likelihoodRatio, 0);
    EXPECT_EQ(line(resultBlock(22, fit, 3), 3), "★尤度比検定　χ2=  0　(有意はでない)");
    const ChiSquareResult fractional = computeChiSquareTest(tableOf(1, 2, {"2.5", "7.5"}), critical());
    EXPECT_GT(fractional.likelihoodRatio, 0);
    EXPECT_LT(fractional.likelihoodLevel, kLikelihoodNotComputable);
}

TEST(SignificanceHeader, EightLinesWithSinglePrecisionCriticalValues) {
    const std::string h = significanceHeader(1, critical(), 3);
    EXPECT_EQ(lineCount(h), 8);
    EXPECT_EQ(line(h, 1), "●χ2検定： (df =  1 )　　　計算結果のχ2値が　");
    EXPECT_EQ(line(h, 2), " 3.841　よりも大きいと 5%水準で有意　*");
    EXPECT_EQ(line(h, 3), " 6.635　よりも大きいと 1%水準で有意　**");
    EXPECT_EQ(line(h, 4), " 10.828　よりも大きいと 0.1%水準で有意　***");
    EXPECT_EQ(line(h, 5), "");
    EXPECT_EQ(line(h, 6), "有意になると「行と列は独立」という帰無仮説が棄却され、");
    EXPECT_EQ(line(h, 7), "「行の項目と列の項目には何らかの関連がある」と結論づけられる。");
    EXPECT_EQ(line(h, 8), "※その結論が「誤りである確率」が各「有意水準」(α過誤)。");
    EXPECT_NE(h.substr(h.size() - 2), "\r\n");
    EXPECT_EQ(line(significanceHeader(4, critical(), 3), 1), "●χ2検定： (df =  4 )　　　計算結果のχ2値が　");

    CriticalValueTable stored;
    stored.value[1] = {0, 3.8414f, 6.6348f, 10.8276f};
    EXPECT_EQ(line(significanceHeader(1, stored, 3), 2), " 3.841　よりも大きいと 5%水準で有意　*");
}

}  // namespace
}  // namespace tomokari
