// Writes the two reference tables the program reads at start-up:
//   chi2prob.dat  critical chi-square values for df 1..12 at 5 %, 1 % and 0.1 %
//   power06.dat   total sample size N giving a power of 0.6 at the 5 % level, for
//                 df 1..12 and effect size omega = 0.10, 0.15, ..., 0.50
// Usage: tomokari-gentables OUTPUT_DIRECTORY

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include <array>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace {

constexpr int kMaxDf = 12;
constexpr std::array<double, 3> kAlphas = {0.05, 0.01, 0.001};
constexpr int kOmegaSteps = 9;
constexpr double kTargetPower = 0.6;

// Each critical value as it appears in the file, so that the sample sizes below are
// computed against exactly the value the program will compare with.
std::string criticalText(int df, double alpha) {
    const boost::math::chi_squared distribution(df);
    const double value = boost::math::quantile(boost::math::complement(distribution, alpha));
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The program holds the table in single precision; mirror that conversion.
double asLoaded(const std::string& text) {
    float value = 0.0f;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || ptr != text.data() + text.size()) {
        throw std::runtime_error("cannot read back critical value " + text);
    }
    return static_cast<double>(value);
}

double power(int df, double omega, double critical, long total) {
    const double lambda = static_cast<double>(total) * omega * omega;
    const boost::math::non_central_chi_squared distribution(df, lambda);
    return boost::math::cdf(boost::math::complement(distribution, critical));
}

// Power rises with N (the non-centrality grows with it), so double until the target is
// reached and then bisect for the first N that reaches it.
long requiredTotal(int df, double omega, double critical) {
    auto enough = [&](long n) { return power(df, omega, critical, n) >= kTargetPower; };
    if (enough(1)) return 1;
    long low = 1;  // never enough
    long high = 2;
    while (!enough(high)) {
        low = high;
        high *= 2;
        if (high > 100'000'000) throw std::runtime_error("no sample size reaches the target power");
    }
    while (high - low > 1) {
        const long middle = low + (high - low) / 2;
        (enough(middle) ? high : low) = middle;
    }
    return high;
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tomokari-gentables OUTPUT_DIRECTORY\n";
        return 2;
    }
    try {
        const std::filesystem::path directory = argv[1];
        std::filesystem::create_directories(directory);

        std::string critical;
        std::array<double, kMaxDf + 1> fivePercent{};
        for (int df = 1; df <= kMaxDf; ++df) {
            for (std::size_t level = 0; level < kAlphas.size(); ++level) {
                const std::string text = criticalText(df, kAlphas[level]);
                if (level == 0) fivePercent[static_cast<std::size_t>(df)] = asLoaded(text);
                critical += (level == 0 ? "" : ", ") + text;
            }
            critical += '\n';
        }

        std::string totals;
        for (int df = 1; df <= kMaxDf; ++df) {
            long previous = 0;
            for (int k = 1; k <= kOmegaSteps; ++k) {
                const double omega = (5.0 + 5.0 * k) / 100.0;
                const long total = requiredTotal(df, omega, fivePercent[static_cast<std::size_t>(df)]);
                // A larger effect needs fewer observations; anything else means the
                // search or the distribution code went wrong.
                if (k > 1 && total >= previous) {
                    throw std::runtime_error("sample sizes do not fall with omega at df " +
                                             std::to_string(df) + ", step " + std::to_string(k));
                }
                previous = total;
                totals += (k == 1 ? "" : ", ") + std::to_string(total);
            }
            totals += '\n';
        }

        writeFile(directory / "chi2prob.dat", critical);
        writeFile(directory / "power06.dat", totals);
    } catch (const std::exception& e) {
        std::cerr << "tomokari-gentables: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
