#pragma once
// Finished texts for the boxes of the three windows, so that the windows only place them.

#include <array>
#include <optional>
#include <string>

#include "engine/chi_square.h"
#include "engine/cross_table.h"

namespace tomokari {

// What one step writes into a window's grid. A box whose entry is empty is left as it is.
struct GridTexts {
    std::array<std::optional<std::string>, kCellCount> cells;  // by cellIndex
    std::array<std::optional<std::string>, kMaxRows> rowBoxes;        // Ikei
    std::array<std::optional<std::string>, kMaxColumns> columnBoxes;  // Jkei
    std::optional<std::string> grandBox;                               // Text10
    std::optional<std::string> note;                                   // Text11
};

// The totals of the main window after a totals step on a computable table.
GridTexts mainWindowTotals(const CrossTable& table);

// The expected values, margins and title of the expected-values window after a totals step
// on a computable table.
GridTexts expectedWindowTotals(const CrossTable& table, int decimals);

// The expected values with their contributions, the margins with their chi-square sums and
// the result block, after a completed test (neither expectedZero nor notComputable).
GridTexts expectedWindowTest(const CrossTable& table, const ChiSquareResult& result, int decimals);

// The raw residual O - E of every cell on the second line of its box in the residuals window.
GridTexts rawResidualTexts(const CrossTable& table, int decimals);

}  // namespace tomokari
