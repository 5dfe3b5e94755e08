#pragma once
// The grid of cells, margins and headings that all three windows lay out under the same names.

#include <QLabel>
#include <QWidget>
#include <array>

#include "engine/cross_table.h"
#include "engine/window_texts.h"

namespace tomokari {

struct Grid {
    std::array<QWidget*, kCellCount> cells{};           // mat1
    std::array<QWidget*, kMaxRows> rowBoxes{};          // Ikei
    std::array<QWidget*, kMaxColumns> columnBoxes{};    // Jkei
    std::array<QLabel*, kMaxRows> rowHeadings{};        // Gyolab
    std::array<QLabel*, kMaxColumns> columnHeadings{};  // Retlab
    QWidget* grandBox = nullptr;                        // Text10
    QWidget* note = nullptr;                            // Text11, where the window has one

    // Writes every text the step produced; boxes without one keep theirs.
    void apply(const GridTexts& texts) const;

    // Shows exactly the cells and headings of an r x c table, and its margin boxes when
    // the window shows totals at all.
    void showShape(int rows, int columns, bool withTotals) const;
};

}  // namespace tomokari
