#include "engine/power.h"

#include <cmath>

#include "numbers/number_text.h"

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

}  // namespace tomokari
