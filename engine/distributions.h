#pragma once
// Exact p values, densities and power of the chi-square test, for a picture of the test: Boost.Math's
// central and non-central chi-square distributions. Every result is a finite double: a value below
// the smallest double is 0, and no argument makes an error or a NaN.

#include <optional>

namespace tomokari {

// P(X > x) for X central chi-square with df >= 1 degrees of freedom; 1 for x <= 0, 0 for an
// infinite x and where it underflows.
double chiSquareUpperTail(double x, int df);

// The density of that distribution at x >= 0; 0 for x < 0 and for an infinite x. At 0 the limit
// from the right: 1/2 for df 2, 0 above, and for df 1, which grows without bound towards 0, the
// largest double.
double chiSquareDensity(double x, int df);

// The power of a test that rejects beyond `critical`: P(X > critical) for X non-central chi-square
// with df and non-centrality lambda >= 0: for 0 the central upper tail, for an infinite lambda 1;
// 1 for critical <= 0.
double testPower(double critical, int df, double lambda);

// The smallest whole total N >= 1 whose power testPower(critical, df, N * omega * omega) reaches
// `target`: power(N - 1) < target <= power(N), where N - 1 is the next whole double below N.
// std::nullopt when omega is 0 or not finite, when target is above 1 or not a number, and when no
// finite double N reaches it.
std::optional<double> smallestTotalForPower(double target, double critical, int df, double omega);

}  // namespace tomokari
