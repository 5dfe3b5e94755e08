#include "engine/power.h"

#include <cmath>

#include "engine/number_text.h"

namespace tomokari {

std::array<double, kOmegaStepCount> omegaSteps() {
    std::array<double, kOmegaStepCount> steps{};
    double omega = 0.1;
    for (double& step : steps) {
        step = omega;
        omega += 0.05;
    }
    return steps;
}

std::optional<double> omegavalue(double chiSquare, double grandTotal) {
    if (!(grandTotal > 0) || !std::isfinite(grandTotal) || !std::isfinite(chiSquare)) return std::nullopt;
    const double ratio = chiSquare / grandTotal;
    if (!(ratio >= 0) || !std::isfinite(ratio)) return std::nullopt;
    return std::sqrt(ratio);
}

SampleSizeEstimate estimateSampleSize(double omega, int df, const PowerSampleTable& table) {
    const auto steps = omegaSteps();
    int count = 0;
    double lower = 0;
    for (double step : steps) {
        if (omega > step) {
            ++count;
            lower = step;
        }
    }
    if (count == 0) return {SampleSizeEstimate::AtLeast, roundToDecimals(table.at(df, 1), 0)};
    if (count == kOmegaStepCount) return {SampleSizeEstimate::AtMost, roundToDecimals(table.at(df, kOmegaStepCount), 0)};
    // The drop between the two steps in single precision, the interpolation in double.
    const float drop = table.at(df, count) - table.at(df, count + 1);
    const double number = static_cast<double>(table.at(df, count)) - static_cast<double>(drop) * (omega - lower) / 0.05;
    return {SampleSizeEstimate::About, roundToDecimals(number, 0)};
}

namespace {

std::string estimateSentence(const SampleSizeEstimate& estimate) {
    const std::string number = signedNumberText(estimate.number);
    switch (estimate.kind) {
        case SampleSizeEstimate::AtLeast: return number + "以上です。";
        case SampleSizeEstimate::AtMost: return number + "以下です。";
        case SampleSizeEstimate::About: break;
    }
    return "概算(単純補間)で " + number + " 程度です。";
}

constexpr const char* kStepLabels[kOmegaStepCount] = {
    "　(ω=0.1と効果量小ならば)", "　(ω=0.15)", "　(ω=0.2と効果量小～中ならば)", "　(ω=0.25)", "　(ω=0.3と効果量中ならば)",
    "　(ω=0.35)",                "　(ω=0.4と効果量中～大ならば)", "　(ω=0.45)", "　(ω=0.5と効果量大ならば)",
};

std::string stepLine(const PowerSampleTable& table, int df, int step) {
    return "　　全データ数= " + signedSingleText(table.at(df, step)) + kStepLabels[step - 1];
}

}  // namespace

std::string powerReport(double omega, int df, const SampleSizeEstimate& estimate, const PowerSampleTable& table,
                        int decimals) {
    return joinLines({
        "▼検定力分析のために　Power (1-β)",
        "　効果量 Effect Size　　ω= " + roundedText(omega, decimals + 1) + "　　(df=" +
            signedNumberText(df) + ")",
        "R.Tamsvik(1992)によれば、",
        "　　効果量小：ω=0.1　実度数と期待度数のズレが小さい",
        "　　効果量中：ω=0.3　実度数と期待度数のズレが中くらい",
        "　　効果量大：ω=0.5　実度数と期待度数のズレが大きい",
        "[参考] 有意水準 α=5%として、検定力(1-β)=60% を実現するのに必要な全データ数は" + estimateSentence(estimate),
        "",
        "以下は「ω値と必要な全データ数」",
        stepLine(table, df, 1),
        stepLine(table, df, 2),
        stepLine(table, df, 3),
        stepLine(table, df, 4),
        stepLine(table, df, 5),
        stepLine(table, df, 6),
        stepLine(table, df, 7),
        stepLine(table, df, 8),
        stepLine(table, df, 9),
        "※ χ2検定における効果量は次の式で算出：",
        "  　　ω =√(χ2値 / 全度数) ",
    });
}

}  // namespace tomokari
