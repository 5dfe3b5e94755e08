#pragma once
// Residual analysis of a table of two or more rows and columns: raw, standardized and
// adjusted residuals, and a significance mark from the adjusted residual.

#include <array>
#include <string>
#include <string_view>

#include "engine/cross_table.h"
#include "engine/window_texts.h"

namespace tomokari {

// Two-sided critical values of the standard normal distribution at 5 %, 1 % and 0.1 %.
inline constexpr double kResidualThresholds[] = {1.95996, 2.57583, 3.290479};

struct ResidualCell {
    double residual = 0;            // O - E
    double expectedFromMargins = 0; // E' = (C_j x R_i) / N
    double standardized = 0;        // z = (O' - E') / sqrt(E')
    double varianceFactor = 0;      // V = (1 - C_j / N) x (1 - R_i / N)
    double adjusted = 0;            // d = z / sqrt(V)
    int markLevel = 0;
    std::string residualText, standardizedText, adjustedText;
};

struct ResidualTable {
    // Every cell initialises itself. An empty brace initialiser here crashes clang 14.
    std::array<std::array<ResidualCell, kMaxColumns>, kMaxRows> cells;
};

// Why the analysis cannot be made; the row or column it concerns, counted from 1.
struct ResidualFailure {
    enum Kind { None, NonPositiveRowTotal, NonPositiveColumnTotal, EntryNotANumber, NotComputable };
    Kind kind = None;
    int row = 0;
    int column = 0;

    // A Japanese sentence saying why, for a message box.
    std::string message() const;
};

struct ResidualResult {
    ResidualFailure failure;
    ResidualTable table;  // valid when failure.kind is None
};

// Number of thresholds that |d| strictly exceeds, 0..3.
int markLevel(double absoluteAdjusted);
const char* residualMark(int level);

// The number an entry holds when the whole entry, full-width forms folded, forms one decimal number (blanks around
// it allowed); false for an empty entry or one with anything else in it.
bool parseWholeNumber(std::string_view text, double& value);

// Every cell of the r x c table from the stored table and the current cell entries
// (by cell index). Requires two or more rows and columns.
ResidualResult computeResiduals(const CrossTable& table, const std::array<std::string, kCellCount>& currentEntries,
                                int decimals);

// The three lines of every cell's box in the residuals window, the first left empty.
GridTexts residualTexts(const CrossTable& table, const ResidualTable& residuals);

// The eight-line explanation written into the main window by the residual step.
std::string residualExplanation();

}  // namespace tomokari
