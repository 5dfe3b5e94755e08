// One pass through the program's workflow on any table a student can type: size, totals,
// test, residuals and power, with the engine calls in the order the main window makes
// them. Every text a window would show is checked, and only boxes of the table's own rows
// and columns may receive one.
//
// Input: byte 0 picks the rows ('1'..'4'), byte 1 the columns ('2'..'5'); any byte maps to
// one of them. Byte 2 holds the flags below. The rest, split at '|', is the twenty cell
// texts by box index, then the chi-square text of an earlier test (used by the power step
// when this test does not complete), then edits made before the residual step: each edit's
// first byte picks the box and the rest replaces its text.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/chi_square.h"
#include "engine/cross_table.h"
#include "engine/number_text.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "engine/window_texts.h"
#include "fuzz/fuzz_checks.h"
#include "tables/reference_tables.h"

namespace {

using namespace tomokari;
using fuzz::checkDisplayed;
using fuzz::require;

// The main window always works with three decimals.
constexpr int kDecimals = 3;

constexpr unsigned kSizeRefused = 1;  // a size outside the shapes was entered after a valid one
constexpr unsigned kEditEntries = 2;  // the edits are typed before the residual step

constexpr std::size_t kEarlierChiSquare = kCellCount;
constexpr std::size_t kFirstEdit = kCellCount + 1;

const ReferenceTables* tables = nullptr;

bool isInside(const CrossTable& t, int row, int column) { return row <= t.rowCount && column <= t.columnCount; }

void checkGrid(const GridTexts& grid, const CrossTable& t, bool completed, const char* step) {
    for (int k = 0; k < kCellCount; ++k) {
        if (!grid.cells[k]) continue;
        require(isInside(t, k / 5 + 1, k % 5 + 1), step);
        checkDisplayed(*grid.cells[k], step, completed);
    }
    for (int i = 0; i < kMaxRows; ++i) {
        if (!grid.rowBoxes[i]) continue;
        require(i < t.rowCount, step);
        checkDisplayed(*grid.rowBoxes[i], step, completed);
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        if (!grid.columnBoxes[j]) continue;
        require(j < t.columnCount, step);
        checkDisplayed(*grid.columnBoxes[j], step, completed);
    }
    if (grid.grandBox) checkDisplayed(*grid.grandBox, step, completed);
    if (grid.note) checkDisplayed(*grid.note, step, completed);
}

void checkCompletedTest(const CrossTable& t, const ChiSquareResult& result) {
    require(std::isfinite(result.chiSquare), "a completed test has a finite chi-square");
    require(result.degreesOfFreedom == degreesOfFreedomFor(t.rowCount, t.columnCount), "df follows the size");
    require(result.significanceLevel >= 0 && result.significanceLevel <= 3, "chi-square level 0..3");
    require(result.likelihoodLevel >= 0 && result.likelihoodLevel <= kLikelihoodNotComputable, "G2 level 0..4");
    require(std::isfinite(result.likelihoodRatio), "G2 is finite");
    for (int i = 0; i < kMaxRows; ++i) {
        for (int j = 0; j < kMaxColumns; ++j) {
            const double c = result.contribution[i][j];
            require(isInside(t, i + 1, j + 1) ? std::isfinite(c) : c == 0, "contributions only inside the table");
        }
    }
}

void checkResiduals(const CrossTable& t, const ResidualResult& result) {
    const ResidualFailure& failure = result.failure;
    if (failure.kind != ResidualFailure::None) {
        require(failure.row >= 0 && failure.row <= t.rowCount, "a failure names a row of the table");
        require(failure.column >= 0 && failure.column <= t.columnCount, "a failure names a column of the table");
        const std::string message = failure.message();
        require(!message.empty(), "every failure has a message");
        checkDisplayed(message, "residual failure message", true);
        return;
    }
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            const ResidualCell& cell = result.table.cells[i][j];
            require(std::isfinite(cell.adjusted), "a residual shown is finite");
            require(cell.markLevel == markLevel(std::fabs(cell.adjusted)), "the mark follows the adjusted residual");
        }
    }
    checkGrid(residualTexts(t, result.table), t, true, "residual texts");
}

void checkPower(double chiSquare, const CrossTable& t, int df) {
    const std::optional<double> omega = omegavalue(chiSquare, t.grandTotal);
    if (!omega) {
        checkDisplayed(kPowerNotComputableMessage, "power refusal", true);
        return;
    }
    require(std::isfinite(*omega) && *omega >= 0, "omega is finite and not negative");
    const SampleSizeEstimate estimate = estimateSampleSize(*omega, df, tables->power);
    require(std::isfinite(estimate.number) && estimate.number == std::nearbyint(estimate.number),
            "the sample size is a whole number");
    const std::string report = powerReport(*omega, df, estimate, tables->power, kDecimals);
    checkDisplayed(report, "power report", true);
    require(fuzz::lineCount(report) == 20, "the power report has twenty lines", report);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const TableLoadResult loaded = loadReferenceTables(TOMOKARI_DATA_DIR);
    if (!loaded.tables) fuzz::fail("the shipped tables load", loaded.error->message());
    tables = &*loaded.tables;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int rows = static_cast<int>(static_cast<unsigned>(data[0] - '1') % 4) + 1;
    const int columns = static_cast<int>(static_cast<unsigned>(data[1] - '2') % 4) + 2;
    const unsigned flags = data[2];
    const std::vector<std::string_view> parts = fuzz::split({reinterpret_cast<const char*>(data) + 3, size - 3}, '|');
    std::array<std::string, kCellCount> texts;
    for (std::size_t k = 0; k < texts.size() && k < parts.size(); ++k) texts[k] = parts[k];

    // ＯＫ(1): the size.
    CrossTable table;
    setSize(table, rows, columns);
    int df = degreesOfFreedomFor(rows, columns);
    if (flags & kSizeRefused) clearShape(table);

    // 合計する(2): totals and expected values.
    reset(table);
    if (isValidShape(table.shapeCode)) {
        readCells(table, texts);
        computeTotals(table);
        computeExpectedValues(table);
        if (isComputable(table)) {
            checkGrid(mainWindowTotals(table), table, true, "main window totals");
            checkGrid(expectedWindowTotals(table, kDecimals), table, true, "expected window totals");
        }
    }

    // χ2実行(3): the test.
    const std::string header = significanceHeader(df, tables->critical, kDecimals);
    checkDisplayed(header, "significance header", true);
    require(fuzz::lineCount(header) == 8, "the header has eight lines", header);
    double lastChiSquare = parts.size() > kEarlierChiSquare ? cellTextValue(parts[kEarlierChiSquare]) : 0;
    const ChiSquareResult result = computeChiSquareTest(table, tables->critical);
    if (!result.expectedZero && !result.notComputable) {
        checkCompletedTest(table, result);
        const std::string block = resultBlock(table.shapeCode, result, kDecimals);
        require(fuzz::lineCount(block) == 3, "the result block has three lines", block);
        checkGrid(expectedWindowTest(table, result, kDecimals), table, true, "expected window test");
        checkGrid(rawResidualTexts(table, kDecimals), table, true, "raw residuals");
        lastChiSquare = result.chiSquare;
        df = result.degreesOfFreedom;
    }

    // 残差分析(4): residuals from the stored table and the entries as they are now.
    if (isValidShape(table.shapeCode) && table.rowCount >= 2) {
        if (flags & kEditEntries) {
            for (std::size_t e = kFirstEdit; e < parts.size(); ++e) {
                if (parts[e].empty()) continue;
                texts[static_cast<unsigned char>(parts[e][0]) % kCellCount] = parts[e].substr(1);
            }
        }
        checkResiduals(table, computeResiduals(table, texts, kDecimals));
    }

    // 検定力分析: power from the last chi-square that completed.
    checkPower(lastChiSquare, table, df);
    return 0;
}
