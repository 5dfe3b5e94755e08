#pragma once
// The chi-square test of a cross table and the likelihood-ratio test beside it.

#include <array>

#include "engine/cross_table.h"
#include "tables/reference_tables.h"

namespace tomokari {

// Level 4 of the likelihood-ratio test: a frequency of zero (or below) forbids the logarithm.
constexpr int kLikelihoodNotComputable = 4;

struct ChiSquareResult {
    bool expectedZero = false;   // an expected value of exactly 0 stopped the test
    bool notComputable = false;  // the table holds values that cannot be computed with
    std::array<std::array<double, kMaxColumns>, kMaxRows> contribution{};  // (O - E)^2 / E
    std::array<double, kMaxRows> rowChiSquare{};
    std::array<double, kMaxColumns> columnChiSquare{};
    double chiSquare = 0;
    int degreesOfFreedom = 0;
    int significanceLevel = 0;  // 0 none, 1 = 5 %, 2 = 1 %, 3 = 0.1 %
    double likelihoodRatio = 0;  // G^2, 0 when it cannot be formed
    int likelihoodLevel = 0;     // as significanceLevel, or kLikelihoodNotComputable
};

struct LikelihoodRatio {
    double value = 0;
    int level = 0;
};

// How many of the three critical values of df the statistic strictly exceeds (0..3).
int significanceLevel(double statistic, int df, const CriticalValueTable& critical);

// G^2 = 2 sum O ln(O / E) with its level, decided on G^2 narrowed to single precision.
// A cell whose observed value or whose O / E is not positive makes it not computable.
LikelihoodRatio computeLikelihoodRatio(const CrossTable& table, int df, const CriticalValueTable& critical);

ChiSquareResult computeChiSquareTest(const CrossTable& table, const CriticalValueTable& critical);

}  // namespace tomokari
