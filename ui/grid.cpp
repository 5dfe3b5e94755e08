#include "ui/grid.h"

#include "ui/controls.h"

namespace tomokari {

void Grid::apply(const GridTexts& texts) const {
    for (int k = 0; k < kCellCount; ++k) {
        if (texts.cells[k]) setBoxText(cells[k], displayText(*texts.cells[k]));
    }
    for (int i = 0; i < kMaxRows; ++i) {
        if (texts.rowBoxes[i]) setBoxText(rowBoxes[i], displayText(*texts.rowBoxes[i]));
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        if (texts.columnBoxes[j]) setBoxText(columnBoxes[j], displayText(*texts.columnBoxes[j]));
    }
    if (texts.grandBox && grandBox) setBoxText(grandBox, displayText(*texts.grandBox));
    if (texts.note && note) setBoxText(note, displayText(*texts.note));
}

void Grid::showShape(int rows, int columns, bool withTotals) const {
    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) cells[cellIndex(i, j)]->setVisible(i <= rows && j <= columns);
    }
    for (int i = 0; i < kMaxRows; ++i) {
        rowHeadings[i]->setVisible(i < rows);
        rowBoxes[i]->setVisible(withTotals && i < rows);
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        columnHeadings[j]->setVisible(j < columns);
        columnBoxes[j]->setVisible(withTotals && j < columns);
    }
}

}  // namespace tomokari
