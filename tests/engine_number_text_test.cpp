#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/cross_table.h"
#include "engine/number_text.h"

namespace tomokari {
namespace {

TEST(SignedNumberText, WholeFractionalAndNegativeValues) {
    EXPECT_EQ(signedNumberText(30), " 30");
    EXPECT_EQ(signedNumberText(0.5), " .5");
    EXPECT_EQ(signedNumberText(-2), "-2");
    EXPECT_EQ(signedNumberText(-0.25), "-.25");
    EXPECT_EQ(signedNumberText(0), " 0");
    EXPECT_EQ(signedNumberText(-0.0), " 0");
    EXPECT_EQ(signedNumberText(100), " 100");
    EXPECT_EQ(signedNumberText(1234567.5), " 1234567.5");
}

TEST(SignedNumberText, FifteenSignificantDigitsForDoubles) {
    EXPECT_EQ(signedNumberText(7.0 / 3.0), " 2.33333333333333");
    EXPECT_EQ(signedNumberText(static_cast<double>(0.1f)), " .100000001490116");
    EXPECT_EQ(signedNumberText(static_cast<double>(0.1f) + static_cast<double>(0.2f)), " .300000004470348");
    EXPECT_EQ(signedNumberText(6.666667938232422), " 6.66666793823242");
    // Rounding to 15 digits carries into a new leading digit.
    EXPECT_EQ(signedNumberText(99.99999999999999), " 100");
}

TEST(SignedNumberText, SevenSignificantDigitsForSingles) {
    EXPECT_EQ(signedSingleText(0.1f), " .1");
    EXPECT_EQ(signedSingleText(3.841f), " 3.841");
    EXPECT_EQ(signedSingleText(1234567.0f), " 1234567");
    EXPECT_EQ(signedSingleText(-2.5f), "-2.5");
}

TEST(SignedNumberText, ExponentFormBeyondThePlainRange) {
    EXPECT_EQ(signedNumberText(1e15), " 1E+15");
    EXPECT_EQ(signedNumberText(999999999999999.0), " 999999999999999");
    EXPECT_EQ(signedNumberText(-1.5e20), "-1.5E+20");
    EXPECT_EQ(signedNumberText(1e-4), " 1E-04");
    EXPECT_EQ(signedNumberText(0.001), " .001");
    EXPECT_EQ(signedNumberText(1e300), " 1E+300");
    EXPECT_EQ(signedSingleText(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(signedSingleText(1e10f), " 1E+10");
    EXPECT_EQ(plainNumberText(1e-5), "1E-05");
}

TEST(SignedNumberText, NeverShowsInfinityOrNan) {
    EXPECT_EQ(signedNumberText(std::numeric_limits<double>::infinity()), kNotComputableNumber);
    EXPECT_EQ(signedNumberText(-std::numeric_limits<double>::infinity()), kNotComputableNumber);
    EXPECT_EQ(signedNumberText(std::nan("")), kNotComputableNumber);
    EXPECT_EQ(signedSingleText(std::numeric_limits<float>::infinity()), kNotComputableNumber);
}

TEST(PlainNumberText, NoBlankAndAZeroBeforeThePoint) {
    EXPECT_EQ(plainNumberText(0.5), "0.5");
    EXPECT_EQ(plainNumberText(30), "30");
    EXPECT_EQ(plainNumberText(-0.5), "-0.5");
    EXPECT_EQ(plainNumberText(0), "0");
}

TEST(RoundToDecimals, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToDecimals(2.0625, 3), 2.062);
    EXPECT_EQ(signedNumberText(roundToDecimals(0.0625, 3)), " .062");
    EXPECT_EQ(roundToDecimals(2.5, 0), 2.0);
    EXPECT_EQ(roundToDecimals(3.5, 0), 4.0);
    EXPECT_EQ(roundToDecimals(-2.5, 0), -2.0);
    EXPECT_EQ(signedNumberText(roundToDecimals(7.0 / 3.0, 3)), " 2.333");
    EXPECT_EQ(signedNumberText(roundToDecimals(6.0 / 7.0, 3)), " .857");
    EXPECT_EQ(signedNumberText(roundToDecimals(-0.0001, 3)), " 0");
}

TEST(RoundToDecimals, LeavesHugeAndNonFiniteValuesAlone) {
    EXPECT_EQ(roundToDecimals(1e300, 3), 1e300);
    EXPECT_EQ(roundToDecimals(1.7e308, 3), 1.7e308);
    EXPECT_TRUE(std::isinf(roundToDecimals(std::numeric_limits<double>::infinity(), 3)));
    EXPECT_TRUE(std::isnan(roundToDecimals(std::nan(""), 3)));
}

TEST(CellTextValue, ReadsTheLongestLeadingNumber) {
    EXPECT_EQ(cellTextValue(""), 0);
    EXPECT_EQ(cellTextValue("abc"), 0);
    EXPECT_EQ(cellTextValue(" 3 4 "), 34);
    EXPECT_EQ(cellTextValue("1 2"), 12);
    EXPECT_EQ(cellTextValue("\t1\n2"), 12);
    EXPECT_EQ(cellTextValue("-2"), -2);
    EXPECT_EQ(cellTextValue("- 3"), -3);
    EXPECT_EQ(cellTextValue("+4"), 4);
    EXPECT_EQ(cellTextValue("2.5"), 2.5);
    EXPECT_EQ(cellTextValue("1e2"), 100);
    EXPECT_EQ(cellTextValue("1E-1"), 0.1);
    EXPECT_EQ(cellTextValue("12abc"), 12);
    EXPECT_EQ(cellTextValue("1,000"), 1);
    EXPECT_EQ(cellTextValue(".5"), 0.5);
    EXPECT_EQ(cellTextValue("5."), 5);
    EXPECT_EQ(cellTextValue("1e"), 1);
    EXPECT_EQ(cellTextValue("1e+"), 1);
    EXPECT_EQ(cellTextValue("2e3x"), 2000);
    EXPECT_EQ(cellTextValue("e5"), 0);
    EXPECT_EQ(cellTextValue("."), 0);
    EXPECT_EQ(cellTextValue("--1"), 0);
    EXPECT_EQ(cellTextValue("\r1"), 0);  // only blanks, tabs and line feeds are skipped
}

TEST(CellTextValue, FullWidthFormsReadAsTheirAsciiForms) {
    EXPECT_EQ(cellTextValue("１２"), 12);
    EXPECT_EQ(cellTextValue("－３"), -3);
    EXPECT_EQ(cellTextValue("＋４"), 4);
    EXPECT_EQ(cellTextValue("２．５"), 2.5);
    EXPECT_EQ(cellTextValue("１Ｅ２"), 100);
    EXPECT_EQ(cellTextValue("１ｅ－１"), 0.1);
    EXPECT_EQ(cellTextValue("　"), 0);
    EXPECT_EQ(cellTextValue("１　２"), 12);
    EXPECT_EQ(cellTextValue("１，０００"), 1);  // the full-width comma stops the number like ","
    EXPECT_EQ(cellTextValue("１２個"), 12);
    EXPECT_EQ(foldFullWidth("ａ１"), "ａ1");  // letters other than the exponent stay full-width
    // Cut or stray UTF-8 sequences are left alone and read like any other text.
    EXPECT_EQ(cellTextValue("\xEF\xBC"), 0);
    EXPECT_EQ(cellTextValue("7\xE3\x80"), 7);
    EXPECT_EQ(cellTextValue("\xFF\xFE\x80"), 0);
}

TEST(CellTextValue, NumbersBeyondTheDoubleRangeSaturate) {
    EXPECT_EQ(cellTextValue("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(cellTextValue("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(cellTextValue(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(cellTextValue("1e-400"), 0);
    EXPECT_EQ(cellTextValue("0.000e99999999999999999999"), 0);
    EXPECT_EQ(cellTextValue("1e99999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(cellTextValue("0." + std::string(400, '0') + "1e300"), 1e-101);
}

TEST(ToSingle, RoundsToNearestAndOverflowsToInfinity) {
    EXPECT_EQ(toSingle(0.1), 0.1f);
    EXPECT_EQ(toSingle(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(toSingle(-1e39), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(toSingle(3.4028235e38), std::numeric_limits<float>::max());
    EXPECT_GT(toSingle(1e-45), 0.0f);  // the smallest subnormal, not zero
    EXPECT_EQ(toSingle(9999999999.0), 1e10f);
}

}  // namespace
}  // namespace tomokari

namespace tomokari {
namespace {

// Found by fuzzing: a cut sequence "\xEF\xBD" before an ASCII letter was folded with it, so
// "\xEF\xBDQ" read as 1 and "\xEF\xBDe" as the exponent letter. Only whole sequences fold.
TEST(CellTextValue, CutSequenceBeforeALetterIsNoFullWidthForm) {
    EXPECT_EQ(foldFullWidth("\xEF\xBDQ"), "\xEF\xBDQ");
    EXPECT_EQ(cellTextValue("\xEF\xBDQ\xEF\xBDP"), 0);
    EXPECT_EQ(cellTextValue("5\xEF\xBD" "e2"), 5);
    EXPECT_EQ(cellTextValue("\xEF\xBC\x91\xEF\xBD\x85\xEF\xBC\x92"), 100);  // "１ｅ２" still folds
}

// Found while writing the fuzzers' independent reading: exponents were cut to seven digits,
// so a million zeros after the point outweighed an eight-digit exponent and a number far
// beyond the double range read as 0.
TEST(CellTextValue, LongExponentOutweighsAMillionZeros) {
    const std::string zeros(1'500'000, '0');
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(cellTextValue("0." + zeros + "1e10000000"), kInfinity);
    EXPECT_EQ(cellTextValue("-0." + zeros + "1e10000000"), -kInfinity);
    EXPECT_EQ(cellTextValue("0." + zeros + "1e1400000"), 0);
    EXPECT_DOUBLE_EQ(cellTextValue("0." + zeros + "1e1500005"), 1e4);
}

}  // namespace
}  // namespace tomokari
