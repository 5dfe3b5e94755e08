#include "engine/distributions.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Nothing throws: Boost answers NaN outside a domain (an infinite argument), an infinity past the
// largest double and 0 below the smallest, and its best value where a series does not converge.
// Set as the defaults, since Boost's inner calls with its default policy take them too: an error
// that may throw drags in its message formatting, iostreams and locales, 44 KB gzipped in the
// browser's core. Doubles are not promoted to long double, which the browser emulates in software.
// This is the program's only file that includes Boost.Math, so every use agrees on them.
#define BOOST_MATH_DOMAIN_ERROR_POLICY ignore_error
#define BOOST_MATH_POLE_ERROR_POLICY ignore_error
#define BOOST_MATH_OVERFLOW_ERROR_POLICY ignore_error
#define BOOST_MATH_EVALUATION_ERROR_POLICY ignore_error
#define BOOST_MATH_ROUNDING_ERROR_POLICY ignore_error
#define BOOST_MATH_PROMOTE_DOUBLE_POLICY false
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>

namespace tomokari {
namespace {

using Central = boost::math::chi_squared_distribution<double>;
using NonCentral = boost::math::non_central_chi_squared_distribution<double>;
using Normal = boost::math::normal_distribution<double>;

constexpr double kLargest = std::numeric_limits<double>::max();

// Boost's non-central series start at the Poisson weight of index round(lambda / 2), held in an
// int: past that it overflows and the series never end.
constexpr double kSeriesReach = 4e9;

double finite(double value) { return std::isnan(value) ? 0 : std::clamp(value, -kLargest, kLargest); }

}  // namespace

double chiSquareUpperTail(double x, int df) {
    if (!(x > 0)) return 1;
    return finite(cdf(complement(Central(df), x)));
}

double chiSquareDensity(double x, int df) {
    if (!(x >= 0)) return 0;
    return finite(pdf(Central(df), x));
}

double testPower(double critical, int df, double lambda) {
    if (!(critical > 0)) return 1;
    if (lambda < kSeriesReach) return finite(cdf(complement(NonCentral(df, lambda), critical)));
    // Beyond the series the normal limit, off by less than 1e-5 near the mean, where only a
    // critical value of billions lies; below it, where every critical value of the tables lies,
    // more than 30000 standard deviations, the power is 1 to the last digit.
    const double capped = std::min(lambda, kLargest / 4);
    return finite(cdf(complement(Normal(df + capped, std::sqrt(2 * (df + 2 * capped))), critical)));
}

std::optional<double> smallestTotalForPower(double target, double critical, int df, double omega) {
    if (omega == 0 || !std::isfinite(omega)) return std::nullopt;
    const auto reaches = [&](double total) { return testPower(critical, df, total * omega * omega) >= target; };
    // The power grows with N: doubling brackets it (a target above 1 runs out of doubles), halving
    // over the whole doubles between finds it.
    double low = 0, high = 1;
    while (!reaches(high)) {
        if (high == kLargest) return std::nullopt;
        low = high;
        high = std::min(2 * high, kLargest);
    }
    for (double middle; (middle = std::floor(low / 2 + high / 2)) > low && middle < high;) {
        (reaches(middle) ? high : low) = middle;
    }
    return high;
}

}  // namespace tomokari
