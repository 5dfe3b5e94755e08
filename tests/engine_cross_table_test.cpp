#include <gtest/gtest.h>

#include "engine/window_texts.h"
#include "engine_test_support.h"

namespace tomokari {
namespace {

using testing::tableOf;

TEST(Shapes, SixteenValidShapesWithTheirDegreesOfFreedom) {
    int valid = 0;
    for (int code = 0; code <= 99; ++code) valid += isValidShape(code) ? 1 : 0;
    EXPECT_EQ(valid, 16);
    EXPECT_FALSE(isValidShape(11));
    EXPECT_FALSE(isValidShape(21));
    EXPECT_FALSE(isValidShape(16));
    EXPECT_FALSE(isValidShape(0));
    EXPECT_EQ(degreesOfFreedomFor(1, 2), 1);
    EXPECT_EQ(degreesOfFreedomFor(1, 5), 4);
    EXPECT_EQ(degreesOfFreedomFor(3, 3), 4);
    EXPECT_EQ(degreesOfFreedomFor(4, 5), 12);
    EXPECT_EQ(cellIndex(1, 1), 0);
    EXPECT_EQ(cellIndex(2, 1), 5);
    EXPECT_EQ(cellIndex(4, 5), 19);
}

TEST(Totals, TwoByTwoShowsPlainColumnTotals) {
    const CrossTable t = tableOf(2, 2, {"10", "20", "30", "40"});
    const GridTexts main = mainWindowTotals(t);
    EXPECT_EQ(main.rowBoxes[0], " 30");
    EXPECT_EQ(main.rowBoxes[1], " 70");
    EXPECT_EQ(main.columnBoxes[0], "40");
    EXPECT_EQ(main.columnBoxes[1], "60");
    EXPECT_EQ(main.grandBox, " 100");
    EXPECT_FALSE(main.rowBoxes[2]);
    EXPECT_FALSE(main.columnBoxes[2]);
    EXPECT_EQ(t.expected[0][0], 12);
    EXPECT_EQ(t.expected[0][1], 18);
    EXPECT_EQ(t.expected[1][0], 28);
    EXPECT_EQ(t.expected[1][1], 42);
}

TEST(Totals, LargerTablesShowEveryTotalAfterABlank) {
    const CrossTable t = tableOf(2, 4, {"10", "20", "30", "40", "40", "30", "20", "10"});
    const GridTexts main = mainWindowTotals(t);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(main.columnBoxes[j], " 50");
    EXPECT_EQ(main.rowBoxes[0], " 100");
    EXPECT_EQ(main.rowBoxes[1], " 100");
    EXPECT_EQ(main.grandBox, " 200");
}

TEST(Totals, OneRowShowsTheCellsInTheColumnBoxes) {
    const CrossTable t = tableOf(1, 3, {"1", "2", "4"});
    const GridTexts main = mainWindowTotals(t);
    EXPECT_EQ(main.rowBoxes[0], " 7");
    EXPECT_EQ(main.columnBoxes[0], " 1");
    EXPECT_EQ(main.columnBoxes[1], " 2");
    EXPECT_EQ(main.columnBoxes[2], " 4");
    EXPECT_EQ(main.grandBox, " 7");
    EXPECT_EQ(t.columnTotal[0], 0);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(t.expected[0][j], 7.0 / 3.0);

    const GridTexts form3 = expectedWindowTotals(t, 3);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(form3.cells[j], " 2.33333333333333");
        EXPECT_EQ(form3.columnBoxes[j], " 2.33333333333333");
    }
    EXPECT_EQ(form3.rowBoxes[0], " 7");
    EXPECT_EQ(form3.grandBox, " 7");
    EXPECT_EQ(form3.note, "「適合度検定」　期待値を表示　●自由度df (3-1)= 2");
    EXPECT_FALSE(form3.cells[3]);
    EXPECT_FALSE(form3.cells[5]);
}

TEST(Totals, SinglePrecisionCellsShowTheirWidenedSums) {
    const CrossTable t = tableOf(1, 2, {"0.1", "0.2"});
    const GridTexts main = mainWindowTotals(t);
    EXPECT_EQ(main.columnBoxes[0], " .1");
    EXPECT_EQ(main.columnBoxes[1], " .2");
    EXPECT_EQ(main.rowBoxes[0], " .300000004470348");
    EXPECT_EQ(main.grandBox, " .300000004470348");
}

TEST(Totals, OneByFourRoundsItsExpectedValues) {
    const CrossTable t = tableOf(1, 4, {"1", "2", "4", "0"});
    EXPECT_EQ(t.grandTotal, 7);
    const GridTexts form3 = expectedWindowTotals(t, 3);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(form3.cells[j], " 1.75");
        EXPECT_EQ(form3.columnBoxes[j], " 1.75");
    }
    EXPECT_EQ(form3.note, "「適合度検定」のための期待値（等分を想定）");
}

TEST(Totals, TwoByThreeExpectedValuesRoundedToThreeDecimals) {
    const CrossTable t = tableOf(2, 3, {"1", "1", "1", "1", "1", "2"});
    const GridTexts form3 = expectedWindowTotals(t, 3);
    const char* expected[] = {" .857", " .857", " 1.286", "", "", " 1.143", " 1.143", " 1.714"};
    for (int k : {0, 1, 2, 5, 6, 7}) EXPECT_EQ(form3.cells[k], expected[k]) << k;
    EXPECT_EQ(form3.rowBoxes[0], " 3");
    EXPECT_EQ(form3.rowBoxes[1], " 4");
    EXPECT_EQ(form3.columnBoxes[0], " 2");
    EXPECT_EQ(form3.columnBoxes[1], " 2");
    EXPECT_EQ(form3.columnBoxes[2], " 3");
    EXPECT_EQ(form3.grandBox, " 7");
    EXPECT_EQ(form3.note, "「独立性の検定」　期待値を表示　●自由度df (2-1)x(3-1) = 2");
    EXPECT_EQ(expectedWindowTotals(tableOf(4, 5, {}), 3).note, "行と列の「独立性の検定」のための「周辺度数からの期待値」");
}

TEST(Totals, CellsOutsideTheSizeAreNeverRead) {
    std::array<std::string, kCellCount> texts;
    texts.fill("99");
    texts[cellIndex(1, 1)] = "1";
    texts[cellIndex(1, 2)] = "2";
    CrossTable t;
    setSize(t, 1, 2);
    readCells(t, texts);
    computeTotals(t);
    EXPECT_EQ(t.grandTotal, 3);
    EXPECT_EQ(t.observed[1][0], 0);
    EXPECT_EQ(t.observed[0][2], 0);
}

TEST(Totals, ZeroGrandTotalGivesZeroExpectedValuesNotNan) {
    const CrossTable t = tableOf(2, 2, {"", "", "", ""});
    EXPECT_TRUE(isComputable(t));
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) EXPECT_EQ(t.expected[i][j], 0);
    }
    EXPECT_EQ(expectedWindowTotals(t, 3).cells[0], " 0");
    const CrossTable oneRow = tableOf(1, 3, {"0", "0", "0"});
    EXPECT_EQ(oneRow.expected[0][0], 0);
}

TEST(Totals, ValuesBeyondSinglePrecisionCannotBeComputed) {
    EXPECT_FALSE(isComputable(tableOf(2, 2, {"1e39", "1", "1", "1"})));
    EXPECT_FALSE(isComputable(tableOf(1, 2, {"-1e39", "1"})));
    EXPECT_FALSE(isComputable(CrossTable{}));  // no size confirmed
    const CrossTable big = tableOf(4, 5, {"1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30",
                                          "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30", "1e30"});
    EXPECT_TRUE(isComputable(big));
    EXPECT_EQ(mainWindowTotals(big).grandBox, " 2.00000003009493E+31");
}

}  // namespace
}  // namespace tomokari
