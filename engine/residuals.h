#pragma once
// Residual analysis of a table of two or more rows and columns: raw, standardized and
// adjusted residuals, and a significance level from the adjusted residual.

#include <array>
#include <string>

#include "engine/cross_table.h"

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
};

// Why the analysis cannot be made; the row or column it concerns, counted from 1.
struct ResidualFailure {
    enum Kind { None, NonPositiveRowTotal, NonPositiveColumnTotal, EntryNotANumber, CellChanged, NotComputable };
    Kind kind = None;
    int row = 0;
    int column = 0;
};

struct ResidualResult {
    ResidualFailure failure;
    // Valid when failure.kind is None. Every cell initialises itself: an empty brace
    // initialiser here crashes clang 14.
    std::array<std::array<ResidualCell, kMaxColumns>, kMaxRows> cells;
};

// Number of thresholds that |d| strictly exceeds, 0..3.
int markLevel(double absoluteAdjusted);

// Every cell of the r x c table from the stored table and the current cell entries (by cell
// index), each of which must be one number, and the number that was totalled: an entry edited
// since would mix with margins of another table. Requires two or more rows and columns.
ResidualResult computeResiduals(const CrossTable& table, const std::array<std::string, kCellCount>& currentEntries);

}  // namespace tomokari
