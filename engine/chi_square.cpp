#include "engine/chi_square.h"

#include <cmath>

#include "engine/number_text.h"

namespace tomokari {

namespace {

constexpr const char* kChiSquareMarks[] = {"　(有意はでない)", "*　(5%で有意)", "**　(1%で有意)", "***　(0.1%で有意)"};
constexpr const char* kLikelihoodMarks[] = {"　(有意はでない)", "*　(5%で有意)", "**　(1%で有意)", "*** (0.1%で有意)",
                                            "　度数ゼロで計算不可。"};
constexpr const char* kLevelPhrases[] = {"", "　よりも大きいと 5%水準で有意　*", "　よりも大きいと 1%水準で有意　**",
                                         "　よりも大きいと 0.1%水準で有意　***"};

}  // namespace

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

std::string significanceHeader(int df, const CriticalValueTable& critical, int decimals) {
    std::string text = "●χ2検定： (df = " + signedNumberText(df) + " )　　　計算結果のχ2値が　";
    for (int level = 1; level <= 3; ++level) {
        // Critical values are shown as single-precision values.
        const float value = toSingle(roundToDecimals(critical.at(df, level), decimals));
        text += kLineBreak + signedSingleText(value) + kLevelPhrases[level];
    }
    return joinLines({text, "", "有意になると「行と列は独立」という帰無仮説が棄却され、",
                      "「行の項目と列の項目には何らかの関連がある」と結論づけられる。",
                      "※その結論が「誤りである確率」が各「有意水準」(α過誤)。"});
}

namespace {

std::string resultTitle(int shapeCode, int df) {
    switch (shapeCode) {
        case 12: return "適合度の検定 df= (2-1)= 1";
        case 13: return "適合度検定 df= (3-1)= 2";
        case 14:
        case 15: return "χ2値に基づく適合度検定　(df= " + signedNumberText(df) + " )";
        case 22: return "独立性の検定 df= (2-1)x(2-1)= 1";
        case 23: return "独立性の検定 df= (2-1)x(3-1)= 2";
        case 32: return "独立性の検定 df= (3-1)x(2-1)= 2";
        case 33: return "独立性の検定 df= (3-1)x(3-1)= 4";
        default: return "χ2値に基づく独立性の検定　(df= " + signedNumberText(df) + " )";
    }
}

}  // namespace

std::string resultBlock(int shapeCode, const ChiSquareResult& result, int decimals) {
    const int level = result.significanceLevel >= 0 && result.significanceLevel <= 3 ? result.significanceLevel : 0;
    const int lrLevel = result.likelihoodLevel >= 0 && result.likelihoodLevel <= 4 ? result.likelihoodLevel : 0;
    return joinLines({resultTitle(shapeCode, result.degreesOfFreedom),
                      "●χ2= " + roundedText(result.chiSquare, decimals) + kChiSquareMarks[level],
                      "★尤度比検定　χ2= " + roundedText(result.likelihoodRatio, 3) + kLikelihoodMarks[lrLevel]});
}

}  // namespace tomokari
