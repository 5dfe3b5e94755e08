#include "engine/distributions.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>
#include <cmath>
#include <cstdlib>
#include <exception>

#ifdef BOOST_NO_EXCEPTIONS
namespace boost {
void throw_exception(const std::exception&) { std::abort(); }
}  // namespace boost
#endif

namespace tomokari {
namespace {
namespace p = boost::math::policies;
using Policy = p::policy<p::domain_error<p::ignore_error>, p::pole_error<p::ignore_error>, p::overflow_error<p::ignore_error>,
    p::underflow_error<p::ignore_error>, p::denorm_error<p::ignore_error>, p::evaluation_error<p::ignore_error>,
    p::rounding_error<p::ignore_error>, p::indeterminate_result_error<p::ignore_error>, p::promote_float<false>, p::promote_double<false>>;
}
double chiSquareUpperTail(double x, int df) {
    if (!(x > 0)) return 1;
    return boost::math::cdf(boost::math::complement(boost::math::chi_squared_distribution<double, Policy>(df), x));
}
double chiSquareDensity(double x, int df) { return boost::math::pdf(boost::math::chi_squared_distribution<double, Policy>(df), x); }
double testPower(double critical, int df, double lambda) {
    if (lambda > 1e6) return 1;
    return boost::math::cdf(boost::math::complement(boost::math::non_central_chi_squared_distribution<double, Policy>(df, lambda), critical));
}
std::optional<double> smallestTotalForPower(double target, double critical, int df, double omega) {
    if (!(omega > 0) || !std::isfinite(omega)) return std::nullopt;
    double low = 0, high = 1;
    while (testPower(critical, df, high * omega * omega) < target) { low = high; high *= 2; if (!std::isfinite(high)) return std::nullopt; }
    while (high - low > 1) { const double mid = std::floor((low + high) / 2); (testPower(critical, df, mid * omega * omega) >= target ? high : low) = mid; }
    return high;
}
}  // namespace tomokari
