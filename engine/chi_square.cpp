#include "engine/chi_square.h"

#include <cmath>

#include "numbers/number_reader.h"

namespace tomokari {

int significanceLevel(double statistic, int df, const CriticalValueTable& critical) {
    if (statistic > static_cast<double>(critical.at(df, 3))) return 3;
    if (statistic > static_cast<double>(critical.at(df, 2))) return 2;
    if (statistic > static_cast<double>(critical.at(df, 1))) return 1;
    return 0;
}

LikelihoodRatio computeLikelihoodRatio(const CrossTable& table, int df, const CriticalValueTable& critical) {
    const LikelihoodRatio notComputable{0.0, kLikelihoodNotComputable};
    double sum = 0;
    for (int i = 0; i < table.rowCount; ++i) {
        for (int j = 0; j < table.columnCount; ++j) {
            const double o = table.observed[i][j];
            const double ratio = o / table.expected[i][j];
            // No logarithm of a non-positive number: zero and negative frequencies alike.
            if (!(o > 0) || !(ratio > 0) || !std::isfinite(ratio)) return notComputable;
            sum += o * std::log(ratio);
        }
    }
    const double g2 = 2 * sum;
    if (!std::isfinite(g2)) return notComputable;
    // The level is decided on G^2 narrowed to single precision, like the bounds themselves.
    return {g2, significanceLevel(static_cast<double>(toSingle(g2)), df, critical)};
}

ChiSquareResult computeChiSquareTest(const CrossTable& table, const CriticalValueTable& critical) {
    ChiSquareResult result;
    if (!isComputable(table)) {
        result.notComputable = true;
        return result;
    }
    const int r = table.rowCount;
    const int c = table.columnCount;
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            const double e = table.expected[i][j];
            if (e == 0) {
                result.expectedZero = true;
                return result;
            }
            const double d = static_cast<double>(table.observed[i][j]) - e;
            result.contribution[i][j] = d * d / e;
        }
    }
    for (int i = 0; i < r; ++i) {
        double sum = 0;
        for (int j = 0; j < c; ++j) sum += result.contribution[i][j];
        result.rowChiSquare[i] = sum;
    }
    for (int i = 0; i < r; ++i) result.chiSquare += result.rowChiSquare[i];
    for (int j = 0; j < c; ++j) {
        double sum = 0;
        for (int i = 0; i < r; ++i) sum += result.contribution[i][j];
        result.columnChiSquare[j] = sum;
    }
    if (!std::isfinite(result.chiSquare)) {
        ChiSquareResult failed;
        failed.notComputable = true;
        return failed;
    }
    result.degreesOfFreedom = degreesOfFreedomFor(r, c);
    result.significanceLevel = significanceLevel(result.chiSquare, result.degreesOfFreedom, critical);
    const LikelihoodRatio lr = computeLikelihoodRatio(table, result.degreesOfFreedom, critical);
    result.likelihoodRatio = lr.value;
    result.likelihoodLevel = lr.level;
    return result;
}

}  // namespace tomokari
