// Adjusted residuals and marks checked against values computed by an independent
// statistics package for 300 random tables (tests/data/adjusted_residuals.txt).

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/cross_table.h"
#include "engine/residuals.h"
#include "engine_test_support.h"

namespace tomokari {
namespace {

struct ReferenceCase {
    int lineNumber = 0;
    int rows = 0;
    int columns = 0;
    std::vector<std::string> observed;  // cell texts, row by row
    std::vector<std::string> adjusted;  // expected texts, row by row, without the leading blank
};

std::vector<std::string> tokensOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) tokens.push_back(token);
    return tokens;
}

// Each line: "rows columns | observed ... | adjusted ...". A line that does not fit is
// reported as a failure rather than skipped, so a damaged file cannot pass silently.
std::vector<ReferenceCase> readCases(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot open " << path;
    std::vector<ReferenceCase> cases;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        const size_t bar1 = line.find('|');
        const size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        if (bar2 == std::string::npos) {
            ADD_FAILURE() << "line " << lineNumber << ": expected three fields";
            continue;
        }
        ReferenceCase c;
        c.lineNumber = lineNumber;
        std::istringstream size(line.substr(0, bar1));
        size >> c.rows >> c.columns;
        c.observed = tokensOf(line.substr(bar1 + 1, bar2 - bar1 - 1));
        c.adjusted = tokensOf(line.substr(bar2 + 1));
        const size_t cells = static_cast<size_t>(c.rows) * static_cast<size_t>(c.columns);
        if (!size || c.rows < 2 || c.rows > kMaxRows || c.columns < 2 || c.columns > kMaxColumns ||
            c.observed.size() != cells || c.adjusted.size() != cells) {
            ADD_FAILURE() << "line " << lineNumber << ": malformed table";
            continue;
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

TEST(ResidualReference, AdjustedTextsAndMarksMatchIndependentComputation) {
    const std::vector<ReferenceCase> cases = readCases(TOMOKARI_RESIDUAL_REFERENCE_FILE);
    ASSERT_EQ(cases.size(), 300u) << "the reference file should hold 300 tables";

    int cellsChecked = 0;
    for (const ReferenceCase& c : cases) {
        std::array<std::string, kCellCount> entries;
        for (int i = 1; i <= c.rows; ++i) {
            for (int j = 1; j <= c.columns; ++j) entries[cellIndex(i, j)] = c.observed[(i - 1) * c.columns + (j - 1)];
        }
        const ResidualResult result = computeResiduals(testing::tableAfterTotals(c.rows, c.columns, entries), entries, 3);
        if (result.failure.kind != ResidualFailure::None) {
            ADD_FAILURE() << "line " << c.lineNumber << ": refused: " << result.failure.message();
            continue;
        }
        for (int i = 0; i < c.rows; ++i) {
            for (int j = 0; j < c.columns; ++j) {
                const std::string& bare = c.adjusted[i * c.columns + j];
                // The file leaves out the blank that stands before a value that is not negative.
                const std::string expected = bare.front() == '-' ? bare : " " + bare;
                const ResidualCell& cell = result.table.cells[i][j];
                EXPECT_EQ(cell.adjustedText, expected)
                    << "line " << c.lineNumber << ", cell (" << i + 1 << ", " << j + 1 << "), d = " << cell.adjusted;
                ++cellsChecked;
            }
        }
    }
    EXPECT_GT(cellsChecked, 1200);
}

}  // namespace
}  // namespace tomokari
