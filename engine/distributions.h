#pragma once
// Provisional: replaced by the Boost.Math-backed implementation.
#include <optional>
namespace tomokari {
double chiSquareUpperTail(double x, int df);
double chiSquareDensity(double x, int df);
double testPower(double critical, int df, double lambda);
std::optional<double> smallestTotalForPower(double target, double critical, int df, double omega);
}  // namespace tomokari
