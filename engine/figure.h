#pragma once
// The picture of a test: the χ2 distribution of its df with the critical values and where χ2 and
// G2 fall, the adjusted residuals of the table in colour, and the power of the test against the
// total N. The core keeps what the picture shows as numbers; both front ends draw the one SVG text
// made here, and read its caption, the picture in words.

#include <array>
#include <optional>
#include <string>

#include "engine/chi_square.h"
#include "engine/cross_table.h"
#include "engine/residuals.h"
#include "tables/reference_tables.h"

namespace tomokari {

struct TestPanel {
    int df = 0;
    std::array<double, kLevelCount> critical{};  // the table file's values at 5 %, 1 % and 0.1 %
    double chiSquare = 0;
    double pChiSquare = 1;
    int chiSquareLevel = 0;                 // as the result block marks it: 0 none .. 3 for 0.1 %
    std::optional<double> likelihoodRatio;  // none where the result block says G2 cannot be computed
    double pLikelihoodRatio = 1;
    int likelihoodLevel = 0;
};

struct ResidualPanel {
    int rows = 0, columns = 0;
    std::array<std::array<double, kMaxColumns>, kMaxRows> adjusted{};
    std::array<std::array<int, kMaxColumns>, kMaxRows> marks{};
};

struct PowerPanel {
    int df = 0;
    double critical = 0;  // the table file's value at 5 %
    double omega = 0;
    double total = 0;     // the table's N
    double powerAtTotal = 0;
    std::optional<double> totalFor06, totalFor08;  // none when no total reaches the power (ω = 0)
};

// What the picture shows now: nothing, or the test with the residuals and the power when their
// steps have run for it.
struct Figure {
    std::optional<TestPanel> test;
    std::optional<ResidualPanel> residuals;
    std::optional<PowerPanel> power;
};

inline constexpr double kPowerAlpha = 0.05;

TestPanel testPanel(const ChiSquareResult& result, const CriticalValueTable& critical);
ResidualPanel residualPanel(const CrossTable& table, const ResidualResult& residuals);
PowerPanel powerPanel(double omega, double total, int df, const CriticalValueTable& critical);

// The picture as SVG text, its panels one under another, presentation attributes only (no style
// element, no script); empty when nothing is drawn.
std::string figureSvg(const Figure& figure);

// The picture in words, for screen readers and the clipboard; empty when nothing is drawn. Its
// first line says what the picture shows.
std::string figureCaption(const Figure& figure);

// The numbers the picture draws, as one JSON object at full precision, null for a part not drawn.
std::string figureValuesJson(const Figure& figure);

// How a p value is shown: three significant digits, and "p < 1E-04" below 0.0001.
std::string pValueText(double p);

}  // namespace tomokari
