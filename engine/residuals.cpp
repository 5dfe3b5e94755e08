#include "engine/residuals.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "numbers/number_reader.h"

namespace tomokari {

namespace {

// A stored observed value as the raw residual takes it: a fraction at its 7-significant-digit
// decimal value (0.1 as 0.1), a whole number exactly. Seven digits would turn a count of
// 10^7 or more into another number (12345678 into 12345680) and so invent a residual.
double residualObserved(float observed) {
    const double widened = observed;
    if (widened == std::floor(widened)) return widened;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", widened);
    // strtod reads the point that snprintf wrote, whatever the locale makes it.
    return std::strtod(buffer, nullptr);
}

}  // namespace

int markLevel(double absoluteAdjusted) {
    if (absoluteAdjusted > kResidualThresholds[2]) return 3;
    if (absoluteAdjusted > kResidualThresholds[1]) return 2;
    if (absoluteAdjusted > kResidualThresholds[0]) return 1;
    return 0;
}

ResidualResult computeResiduals(const CrossTable& t, const std::array<std::string, kCellCount>& currentEntries) {
    ResidualResult result;
    auto fail = [&result](ResidualFailure::Kind kind, int row, int column) {
        result.failure = {kind, row, column};
        return result;
    };
    if (!isComputable(t) || t.rowCount < 2 || t.columnCount < 2) return fail(ResidualFailure::NotComputable, 0, 0);
    // Every margin must be positive: then N > 0, E' > 0 and V > 0.
    for (int i = 0; i < t.rowCount; ++i) {
        if (!(t.rowTotal[i] > 0)) return fail(ResidualFailure::NonPositiveRowTotal, i + 1, 0);
    }
    for (int j = 0; j < t.columnCount; ++j) {
        if (!(t.columnTotal[j] > 0)) return fail(ResidualFailure::NonPositiveColumnTotal, 0, j + 1);
    }
    const double n = t.grandTotal;
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            const std::optional<double> entry = readNumber<double>(currentEntries[cellIndex(i + 1, j + 1)], kEntrySyntax);
            if (!entry || !std::isfinite(*entry)) return fail(ResidualFailure::EntryNotANumber, i + 1, j + 1);
            // The margins were built from single-precision cells; the entry is read the same way,
            // or a large entry would differ from its own cell by the rounding alone.
            const float current = toSingle(*entry);
            if (current != t.observed[i][j]) return fail(ResidualFailure::CellChanged, i + 1, j + 1);
            const double r = t.rowTotal[i];
            const double c = t.columnTotal[j];
            ResidualCell& cell = result.cells[i][j];
            cell.residual = residualObserved(t.observed[i][j]) - static_cast<double>(toSingle(t.expected[i][j]));
            cell.expectedFromMargins = (c * r) / n;
            cell.standardized = (current - cell.expectedFromMargins) / std::sqrt(cell.expectedFromMargins);
            cell.varianceFactor = (1 - c / n) * (1 - r / n);
            cell.adjusted = cell.standardized / std::sqrt(cell.varianceFactor);
            if (!std::isfinite(cell.residual) || !std::isfinite(cell.standardized) || !std::isfinite(cell.adjusted)) {
                return fail(ResidualFailure::NotComputable, i + 1, j + 1);
            }
            cell.markLevel = markLevel(std::fabs(cell.adjusted));
        }
    }
    return result;
}

}  // namespace tomokari
