#pragma once

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "engine/cross_table.h"
#include "tables/reference_tables.h"

namespace tomokari::testing {

// The tables shipped in data/, as the program loads them.
inline const ReferenceTables& shippedTables() {
    static const ReferenceTables tables = [] {
        TableLoadResult loaded = loadReferenceTables(TOMOKARI_DATA_DIR);
        if (!loaded.tables) ADD_FAILURE() << loaded.error->message();
        return loaded.tables.value_or(ReferenceTables{});
    }();
    return tables;
}

// The table as the totals step leaves it, from the cell entries by cell index.
inline CrossTable tableAfterTotals(int rows, int columns, const std::array<std::string, kCellCount>& entries) {
    CrossTable table;
    setSize(table, rows, columns);
    reset(table);
    readCells(table, entries);
    computeTotals(table);
    computeExpectedValues(table);
    return table;
}

// A table of the given size after a totals step on the given cell texts, row by row.
inline CrossTable tableOf(int rows, int columns, std::initializer_list<std::string> cells) {
    std::array<std::string, kCellCount> texts;
    auto it = cells.begin();
    for (int i = 1; i <= rows; ++i) {
        for (int j = 1; j <= columns && it != cells.end(); ++j) texts[cellIndex(i, j)] = *it++;
    }
    return tableAfterTotals(rows, columns, texts);
}

}  // namespace tomokari::testing
