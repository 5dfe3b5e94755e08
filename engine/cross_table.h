#pragma once
// The one frequency table the user works on: size, observed values, totals, expected values.

#include <array>
#include <string>

namespace tomokari {

constexpr int kMaxRows = 4;
constexpr int kMaxColumns = 5;
constexpr int kCellCount = kMaxRows * kMaxColumns;

// Index of the box of cell (row, column), both counted from 1, in every window's grid.
constexpr int cellIndex(int row, int column) { return 5 * (row - 1) + (column - 1); }

// Rows and columns are counted from 1 in the texts and from 0 in these arrays:
// observed[i - 1][j - 1] is the cell of row i, column j.
struct CrossTable {
    int rowCount = 0;     // 1..4 once a size has been confirmed
    int columnCount = 0;  // 2..5
    int shapeCode = 0;    // rowCount * 10 + columnCount; 0 while no valid size is confirmed
    std::array<std::array<float, kMaxColumns>, kMaxRows> observed{};
    std::array<double, kMaxRows> rowTotal{};
    std::array<double, kMaxColumns> columnTotal{};
    double grandTotal = 0;
    std::array<double, kMaxRows> rowShare{};
    std::array<double, kMaxColumns> columnShare{};
    std::array<std::array<double, kMaxColumns>, kMaxRows> expected{};
};

// The sixteen shapes from 1 x 2 to 4 x 5.
bool isValidShape(int shapeCode);
bool isValidSize(int rows, int columns);

// 1 x 2, 1 x 3, 2 x 2, 2 x 3, 3 x 2 and 3 x 3: the shapes whose titles spell out their degrees
// of freedom and whose buttons keep their numbered captions.
bool isSmallShape(int shapeCode);

// columns - 1 for one row (goodness of fit), (rows - 1) x (columns - 1) otherwise.
int degreesOfFreedomFor(int rows, int columns);

// Records a valid size; the values stay as they are until the next totals step.
void setSize(CrossTable& table, int rows, int columns);

// Marks the size as not valid (shape code 0); the counts keep their last valid values.
void clearShape(CrossTable& table);

// Zeroes every observed and expected value and every row and column total.
void reset(CrossTable& table);

// Fills the observed values of the table's cells from the cell texts, by cell index.
void readCells(CrossTable& table, const std::array<std::string, kCellCount>& cellTexts);

// Row, column and grand totals, then the expected values: equal shares for one row,
// (N x rowShare) x columnShare otherwise. A table whose grand total is 0 gets expected
// values of 0, which the test step refuses.
void computeTotals(CrossTable& table);
void computeExpectedValues(CrossTable& table);

// False when any observed value, total or expected value of the table is not finite:
// nothing computed from such a table can be shown.
bool isComputable(const CrossTable& table);

}  // namespace tomokari
