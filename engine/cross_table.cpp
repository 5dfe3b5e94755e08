#include "engine/cross_table.h"

#include <cmath>

#include "numbers/number_reader.h"

namespace tomokari {

bool isValidSize(int rows, int columns) { return rows >= 1 && rows <= kMaxRows && columns >= 2 && columns <= kMaxColumns; }

bool isValidShape(int shapeCode) { return isValidSize(shapeCode / 10, shapeCode % 10); }

bool isSmallShape(int shapeCode) {
    return isValidShape(shapeCode) && shapeCode / 10 <= 3 && shapeCode % 10 <= 3;
}

int degreesOfFreedomFor(int rows, int columns) { return rows == 1 ? columns - 1 : (rows - 1) * (columns - 1); }

void setSize(CrossTable& table, int rows, int columns) {
    table.rowCount = rows;
    table.columnCount = columns;
    table.shapeCode = rows * 10 + columns;
}

void clearShape(CrossTable& table) { table.shapeCode = 0; }

void reset(CrossTable& table) {
    table.observed = {};
    table.expected = {};
    table.rowTotal = {};
    table.columnTotal = {};
}

void readCells(CrossTable& table, const std::array<std::string, kCellCount>& cellTexts) {
    for (int i = 1; i <= table.rowCount; ++i) {
        for (int j = 1; j <= table.columnCount; ++j) {
            table.observed[i - 1][j - 1] = toSingle(cellTextValue(cellTexts[cellIndex(i, j)]));
        }
    }
}

void computeTotals(CrossTable& table) {
    const int r = table.rowCount;
    const int c = table.columnCount;
    for (int i = 0; i < r; ++i) {
        double sum = 0;
        for (int j = 0; j < c; ++j) sum += static_cast<double>(table.observed[i][j]);
        table.rowTotal[i] = sum;
    }
    if (r >= 2) {
        for (int j = 0; j < c; ++j) {
            double sum = 0;
            for (int i = 0; i < r; ++i) sum += static_cast<double>(table.observed[i][j]);
            table.columnTotal[j] = sum;
        }
    }
    double grand = 0;
    for (int i = 0; i < r; ++i) grand += table.rowTotal[i];
    table.grandTotal = grand;
}

void computeExpectedValues(CrossTable& table) {
    const int r = table.rowCount;
    const int c = table.columnCount;
    const double n = table.grandTotal;
    if (r == 1) {
        for (int j = 0; j < c; ++j) table.expected[0][j] = n / c;
        return;
    }
    // With N = 0 the shares are undefined; zero expected values send the test step to its
    // zero-expected-value message instead of dividing 0 by 0.
    for (int i = 0; i < r; ++i) table.rowShare[i] = n == 0 ? 0.0 : table.rowTotal[i] / n;
    for (int j = 0; j < c; ++j) table.columnShare[j] = n == 0 ? 0.0 : table.columnTotal[j] / n;
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) table.expected[i][j] = (n * table.rowShare[i]) * table.columnShare[j];
    }
}

bool isComputable(const CrossTable& table) {
    if (!isValidSize(table.rowCount, table.columnCount)) return false;
    if (!std::isfinite(table.grandTotal)) return false;
    for (int i = 0; i < table.rowCount; ++i) {
        if (!std::isfinite(table.rowTotal[i])) return false;
        for (int j = 0; j < table.columnCount; ++j) {
            if (!std::isfinite(table.observed[i][j]) || !std::isfinite(table.expected[i][j])) return false;
        }
    }
    for (int j = 0; j < table.columnCount; ++j) {
        if (!std::isfinite(table.columnTotal[j])) return false;
    }
    return true;
}

}  // namespace tomokari
