// The statistics and the two shipped table files against independent packages, rows of
// tests/data played against the engine's own functions and compared to the digits the program
// shows: statistics_reference.txt, written with SciPy by statistics_reference.py beside it, and
// adjusted_residuals.txt, from statsmodels.

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/chi_square.h"
#include "engine/cross_table.h"
#include "engine/distributions.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "engine/texts.h"
#include "engine/workflow.h"
#include "numbers/number_text.h"
#include "tests/case_rows.h"
#include "tests/check.h"

namespace tomokari {
namespace {

using namespace cases;
using Fields = std::vector<std::string>;

// The numbers of a field, rows of a table split by "/" or not.
Fields words(const std::string& field) {
    Fields result;
    std::istringstream split(field);
    for (std::string word; split >> word;) {
        if (word != "/") result.push_back(word);
    }
    return result;
}

// Whether the program shows the value, to `decimals` places and with `level` marks, as the
// field of the file says: a number and its marks ("10.465**"), or two numbers either of which
// is right ("1.012|1.013": a tie that the program's doubles may round either way). The field's
// numbers are written by the program's own number text, so ".0005" is shown as " 5E-04".
bool agrees(double value, int decimals, int level, const std::string& field) {
    const size_t marks = std::min(field.find('*'), field.size());
    if (field.size() - marks != static_cast<size_t>(level)) return false;
    std::istringstream alternatives(field.substr(0, marks));
    for (std::string number; std::getline(alternatives, number, '|');) {
        if (roundedText(value, decimals) == signedNumberText(std::stod(number))) return true;
    }
    return false;
}

// "table": a table's statistics as the program shows them.
void playTable(const Fields& fields) {
    const ReferenceTables& tables = shippedTables();
    int r = 0, c = 0, df = 0;
    ASSERT_EQ(std::sscanf(fields[0].c_str(), "%dx%d df %d", &r, &c, &df), 3);
    CrossTable table;
    setSize(table, r, c);
    const Fields observed = words(fields.at(1)), expected = words(fields.at(2));
    ASSERT_EQ(observed.size(), static_cast<size_t>(r * c));
    ASSERT_EQ(expected.size(), observed.size());
    std::array<std::string, kCellCount> cells;
    for (int k = 0; k < r * c; ++k) cells[cellIndex(k / c + 1, k % c + 1)] = observed[k];
    readCells(table, cells);
    computeTotals(table);
    computeExpectedValues(table);
    for (int k = 0; k < r * c; ++k) {
        const double e = table.expected[k / c][k % c];
        EXPECT_TRUE(agrees(e, 3, 0, expected[k])) << "cell " << k + 1 << ": " << roundedText(e, 3);
    }

    // A one-row table is a goodness-of-fit test: it has no residual analysis.
    if (r == 1) {
        EXPECT_EQ(computeResiduals(table, cells).failure.kind, ResidualFailure::NotComputable);
    }

    const ChiSquareResult result = computeChiSquareTest(table, tables.critical);
    EXPECT_FALSE(result.notComputable);
    EXPECT_EQ(result.expectedZero, fields.at(3) == "stops");
    if (result.expectedZero) return;
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(result.degreesOfFreedom, df);
    // The margins: the chi2 of each row, and of each column where there are two rows or more.
    std::vector<double> sums(result.rowChiSquare.begin(), result.rowChiSquare.begin() + r);
    if (r > 1) sums.insert(sums.end(), result.columnChiSquare.begin(), result.columnChiSquare.begin() + c);
    const Fields expectedSums = words(fields[3]);
    ASSERT_EQ(expectedSums.size(), sums.size());
    for (size_t k = 0; k < sums.size(); ++k) {
        EXPECT_TRUE(agrees(sums[k], 3, 0, expectedSums[k])) << "margin " << k + 1 << ": " << roundedText(sums[k], 3);
    }
    EXPECT_TRUE(agrees(result.chiSquare, 3, result.significanceLevel, fields[4]))
        << "chi2 " << roundedText(result.chiSquare, 3) << " level " << result.significanceLevel;
    if (fields[5] == "none") {
        EXPECT_EQ(result.likelihoodLevel, kLikelihoodNotComputable);
    } else {
        EXPECT_TRUE(agrees(result.likelihoodRatio, 3, result.likelihoodLevel, fields[5]))
            << "G2 " << roundedText(result.likelihoodRatio, 3) << " level " << result.likelihoodLevel;
    }

    const std::optional<double> omega = omegavalue(result.chiSquare, table.grandTotal);
    ASSERT_TRUE(omega);
    EXPECT_TRUE(agrees(*omega, 4, 0, fields[6])) << "omega " << roundedText(*omega, 4);
    const SampleSizeEstimate estimate = estimateSampleSize(*omega, df, tables.power);
    const std::string kinds[] = {"atleast ", "about ", "atmost "}, &kind = kinds[estimate.kind];
    EXPECT_TRUE(fields[7].rfind(kind, 0) == 0 && agrees(estimate.number, 0, 0, fields[7].substr(kind.size())))
        << "required total: " << kind << estimate.number;
    // SciPy's own total at this omega must not contradict the statement: "at least" and "at
    // most" hold as they stand; the straight line lies above the curve, but rounding it to
    // a whole number may fall one short.
    if (fields[8] == "-") return;
    const double exact = std::stod(fields[8]);
    if (estimate.kind == SampleSizeEstimate::AtLeast) {
        EXPECT_GE(exact, estimate.number);
    } else {
        EXPECT_LE(exact, estimate.number + (estimate.kind == SampleSizeEstimate::About ? 1 : 0));
    }
}

// "critical": the critical values to the six decimals of chi2prob.dat and as the significance
// header shows them.
void playCritical(const Fields& fields) {
    static const Fields inFile = [] {
        std::string digits = readFile(std::string(TOMOKARI_DATA_DIR) + "/" + kCriticalValueFileName);
        std::replace(digits.begin(), digits.end(), ',', ' ');
        return words(digits);
    }();
    const int df = std::stoi(fields[0]);
    const Fields six = words(fields.at(1)), three = words(fields.at(2));
    std::istringstream header(significanceHeader(df, shippedTables().critical, 3));
    std::string headerLine;
    std::getline(header, headerLine);
    for (int level = 1; level <= kLevelCount; ++level) {
        EXPECT_EQ(inFile.at(static_cast<size_t>((df - 1) * kLevelCount + level - 1)), six.at(level - 1)) << "level " << level;
        EXPECT_EQ(shippedTables().critical.at(df, level), std::strtof(six.at(level - 1).c_str(), nullptr)) << "level " << level;
        std::getline(header, headerLine);
        EXPECT_EQ(headerLine.substr(0, headerLine.find("　")), " " + three.at(level - 1)) << "level " << level;
    }
}

// "total": the totals of power06.dat as loaded.
void playTotal(const Fields& fields) {
    const int df = std::stoi(fields[0]);
    const Fields totals = words(fields.at(1));
    ASSERT_EQ(totals.size(), static_cast<size_t>(kOmegaStepCount));
    for (int step = 1; step <= kOmegaStepCount; ++step) {
        EXPECT_EQ(shippedTables().power.at(df, step), std::stof(totals[step - 1])) << "step " << step;
    }
}

// The p values, densities and power are compared by relative error, as they span hundreds of
// decades. Both sides take the same doubles and sum series to a term below 1e-16 of the sum, but
// far in a tail each rounds its own exp(-x/2): at x = 1400 they part by 1.5e-13. 1e-12 holds that
// with room and still tells a wrong term of a series.
constexpr double kRelative = 1e-12;

// A value, 0 and the largest double included, within `relative` of the field's.
bool near(double value, const std::string& field, double relative) {
    const double expected = std::stod(field);
    return std::abs(value - expected) <= relative * std::abs(expected);
}

// "chi2": the upper tail and the density of the central distribution.
void playChi2(const Fields& fields) {
    const int df = std::stoi(fields[0]);
    const double x = std::stod(fields.at(1));
    EXPECT_TRUE(near(chiSquareUpperTail(x, df), fields.at(2), kRelative)) << chiSquareUpperTail(x, df);
    EXPECT_TRUE(near(chiSquareDensity(x, df), fields.at(3), kRelative)) << chiSquareDensity(x, df);
}

// "power": the power of a test, P(X > critical) for the non-central distribution; "limit" the
// same where the engine takes the normal limit, whose skew puts it some 4e-6 off there.
void playPower(const Fields& fields, double relative) {
    const double power = testPower(std::stod(fields.at(1)), std::stoi(fields[0]), std::stod(fields.at(2)));
    EXPECT_TRUE(near(power, fields.at(3), relative)) << power;
}

// "needed": the smallest totals for a power of 0.6 and 0.8, exact below a billion, and on the
// boundary by the engine's own power.
void playNeeded(const Fields& fields) {
    const int df = std::stoi(fields[0]);
    const double critical = std::stod(fields.at(1)), omega = std::stod(fields.at(2));
    const auto power = [&](double total) { return testPower(critical, df, total * omega * omega); };
    for (const auto& [target, field] : {std::pair{0.6, fields.at(3)}, {0.8, fields.at(4)}}) {
        const std::optional<double> total = smallestTotalForPower(target, critical, df, omega);
        EXPECT_EQ(total.has_value(), field != "none") << "target " << target;
        if (!total || field == "none") continue;
        EXPECT_TRUE(near(*total, field, 1e-9)) << "target " << target << ": " << *total;
        EXPECT_GE(power(*total), target);
        if (*total > 1) {
            EXPECT_LT(power(std::min(*total - 1, std::nextafter(*total, 0.0))), target) << *total;
        }
    }
}

// Every row by its kind, the first word of its first field.
TEST(StatisticsReference, AgreesWithScipy) {
    const std::map<std::string, void (*)(const Fields&)> players = {
        {"table", playTable}, {"critical", playCritical}, {"total", playTotal}, {"chi2", playChi2},
        {"power", [](const Fields& f) { playPower(f, kRelative); }}, {"limit", [](const Fields& f) { playPower(f, 1e-5); }},
        {"needed", playNeeded}};
    std::map<std::string, int> played;
    forEachRow("statistics_reference.txt", " | ", 2, 9, [&](Fields fields) {
        const std::string kind = fields[0].substr(0, fields[0].find(' '));
        fields[0].erase(0, kind.size() + 1);
        ++played[kind];
        if (const auto player = players.find(kind); player != players.end()) player->second(fields);
        else ADD_FAILURE() << "a row of no known kind: " << kind;
    });
    EXPECT_GT(played["table"], 150);
    EXPECT_EQ(played["critical"], kMaxDegreesOfFreedom);
    EXPECT_EQ(played["total"], kMaxDegreesOfFreedom);
    EXPECT_GT(played["chi2"] + played["power"] + played["needed"], 150);
}

// The adjusted residuals and their marks as the residuals window shows them, after the steps
// of the program.
TEST(StatisticsReference, AdjustedResidualsAgreeWithStatsmodels) {
    int cellsChecked = 0;
    forEachRow("adjusted_residuals.txt", " | ", 3, 3, [&](const Fields& fields) {
        int rows = 0, columns = 0;
        std::istringstream(fields[0]) >> rows >> columns;
        const Fields observed = words(fields[1]), adjusted = words(fields[2]);
        ASSERT_EQ(observed.size(), static_cast<size_t>(rows * columns));
        ASSERT_EQ(adjusted.size(), observed.size());
        Workflow workflow(shippedTables());
        workflow.type("Text12", std::to_string(rows));
        workflow.type("Text13", std::to_string(columns));
        workflow.press("Command1");
        for (int k = 0; k < rows * columns; ++k) workflow.type(indexedName("mat1", cellIndex(k / columns + 1, k % columns + 1)), observed[k]);
        for (const char* step : {"Command7", "Command5", "Command3"}) workflow.press(step);
        ASSERT_TRUE(workflow.view().messages.empty());
        for (int k = 0; k < rows * columns; ++k, ++cellsChecked) {
            const std::string box = workflow.control(WindowId::Residuals, indexedName("mat1", cellIndex(k / columns + 1, k % columns + 1))).text;
            EXPECT_EQ(box.substr(box.rfind('\n') + 1), adjusted[k].front() == '-' ? adjusted[k] : " " + adjusted[k]) << "cell " << k + 1;
        }
    });
    EXPECT_GT(cellsChecked, 1200);
}

}  // namespace
}  // namespace tomokari
