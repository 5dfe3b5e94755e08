// The statistics and the two shipped table files against an independent package: the rows of
// tests/data/statistics_reference.txt, written with SciPy by statistics_reference.py beside it,
// played against the engine's own functions and compared to the digits the program shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/chi_square.h"
#include "engine/cross_table.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "engine/texts.h"
#include "numbers/number_text.h"
#include "tables/reference_tables.h"
#include "tests/check.h"

namespace tomokari {
namespace {

struct Row {
    std::string kind;                 // table, critical or total
    std::vector<std::string> fields;  // split at " | ", the first without its kind
};

// Every row of the file with its line number.
std::vector<std::pair<int, Row>> rows() {
    std::ifstream in(TOMOKARI_STATISTICS_REFERENCE_FILE);
    EXPECT_TRUE(in.is_open());
    std::vector<std::pair<int, Row>> result;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        line = line.substr(0, line.find("  #"));
        Row row;
        row.kind = line.substr(0, line.find(' '));
        line.erase(0, row.kind.size() + 1);
        for (size_t at; (at = line.find(" | ")) != std::string::npos; line.erase(0, at + 3)) row.fields.push_back(line.substr(0, at));
        row.fields.push_back(line);
        result.emplace_back(n, row);
    }
    return result;
}

// The numbers of a field, rows of a table split by "/" or not.
std::vector<std::string> words(const std::string& field) {
    std::vector<std::string> result;
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

TEST(StatisticsReference, TablesAgreeWithScipy) {
    const ReferenceTables& tables = shippedTables();
    int played = 0;
    for (const auto& [line, row] : rows()) {
        if (row.kind != "table") continue;
        SCOPED_TRACE("statistics_reference.txt:" + std::to_string(line));
        ++played;
        int r = 0, c = 0, df = 0;
        ASSERT_EQ(std::sscanf(row.fields.at(0).c_str(), "%dx%d df %d", &r, &c, &df), 3);
        CrossTable table;
        setSize(table, r, c);
        const std::vector<std::string> observed = words(row.fields.at(1)), expected = words(row.fields.at(2));
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
        EXPECT_EQ(result.expectedZero, row.fields.at(3) == "stops");
        if (result.expectedZero) continue;
        ASSERT_EQ(row.fields.size(), 9u);
        EXPECT_EQ(result.degreesOfFreedom, df);
        // The margins: the chi2 of each row, and of each column where there are two rows or more.
        std::vector<double> sums(result.rowChiSquare.begin(), result.rowChiSquare.begin() + r);
        if (r > 1) sums.insert(sums.end(), result.columnChiSquare.begin(), result.columnChiSquare.begin() + c);
        const std::vector<std::string> expectedSums = words(row.fields[3]);
        ASSERT_EQ(expectedSums.size(), sums.size());
        for (size_t k = 0; k < sums.size(); ++k) {
            EXPECT_TRUE(agrees(sums[k], 3, 0, expectedSums[k])) << "margin " << k + 1 << ": " << roundedText(sums[k], 3);
        }
        EXPECT_TRUE(agrees(result.chiSquare, 3, result.significanceLevel, row.fields[4]))
            << "chi2 " << roundedText(result.chiSquare, 3) << " level " << result.significanceLevel;
        if (row.fields[5] == "none") {
            EXPECT_EQ(result.likelihoodLevel, kLikelihoodNotComputable);
        } else {
            EXPECT_TRUE(agrees(result.likelihoodRatio, 3, result.likelihoodLevel, row.fields[5]))
                << "G2 " << roundedText(result.likelihoodRatio, 3) << " level " << result.likelihoodLevel;
        }

        const std::optional<double> omega = omegavalue(result.chiSquare, table.grandTotal);
        ASSERT_TRUE(omega);
        EXPECT_TRUE(agrees(*omega, 4, 0, row.fields[6])) << "omega " << roundedText(*omega, 4);
        const SampleSizeEstimate estimate = estimateSampleSize(*omega, df, tables.power);
        const std::string kinds[] = {"atleast ", "about ", "atmost "}, &kind = kinds[estimate.kind];
        EXPECT_TRUE(row.fields[7].rfind(kind, 0) == 0 && agrees(estimate.number, 0, 0, row.fields[7].substr(kind.size())))
            << "required total: " << kind << estimate.number;
        // SciPy's own total at this omega must not contradict the statement: "at least" and "at
        // most" hold as they stand; the straight line lies above the curve, but rounding it to
        // a whole number may fall one short.
        if (row.fields[8] == "-") continue;
        const double exact = std::stod(row.fields[8]);
        if (estimate.kind == SampleSizeEstimate::AtLeast) {
            EXPECT_GE(exact, estimate.number);
        } else {
            EXPECT_LE(exact, estimate.number + (estimate.kind == SampleSizeEstimate::About ? 1 : 0));
        }
    }
    EXPECT_GT(played, 150);
}

// The critical values to the six decimals of chi2prob.dat and as the significance header shows
// them; the totals of power06.dat as loaded.
TEST(StatisticsReference, ShippedTablesAgreeWithScipy) {
    const ReferenceTables& tables = shippedTables();
    std::string digits = readFile(std::string(TOMOKARI_DATA_DIR) + "/" + kCriticalValueFileName);
    std::replace(digits.begin(), digits.end(), ',', ' ');
    const std::vector<std::string> inFile = words(digits);
    int criticalRows = 0, totalRows = 0;
    for (const auto& [line, row] : rows()) {
        if (row.kind == "table") continue;
        SCOPED_TRACE("statistics_reference.txt:" + std::to_string(line));
        const int df = std::stoi(row.fields.at(0));
        if (row.kind == "critical") {
            ++criticalRows;
            const std::vector<std::string> six = words(row.fields.at(1)), three = words(row.fields.at(2));
            std::istringstream header(significanceHeader(df, tables.critical, 3));
            std::string headerLine;
            std::getline(header, headerLine);
            for (int level = 1; level <= kLevelCount; ++level) {
                EXPECT_EQ(inFile.at(static_cast<size_t>((df - 1) * kLevelCount + level - 1)), six.at(level - 1)) << "level " << level;
                EXPECT_EQ(tables.critical.at(df, level), std::strtof(six.at(level - 1).c_str(), nullptr)) << "level " << level;
                std::getline(header, headerLine);
                EXPECT_EQ(headerLine.substr(0, headerLine.find("　")), " " + three.at(level - 1)) << "level " << level;
            }
        } else {
            ASSERT_EQ(row.kind, "total");
            ++totalRows;
            const std::vector<std::string> totals = words(row.fields.at(1));
            ASSERT_EQ(totals.size(), static_cast<size_t>(kOmegaStepCount));
            for (int step = 1; step <= kOmegaStepCount; ++step) {
                EXPECT_EQ(tables.power.at(df, step), std::stof(totals[step - 1])) << "step " << step;
            }
        }
    }
    EXPECT_EQ(criticalRows, kMaxDegreesOfFreedom);
    EXPECT_EQ(totalRows, kMaxDegreesOfFreedom);
}

}  // namespace
}  // namespace tomokari
