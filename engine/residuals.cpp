#include "engine/residuals.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/number_text.h"

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
    double value = 0;
    std::from_chars(buffer, buffer + std::strlen(buffer), value);
    return value;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int markLevel(double absoluteAdjusted) {
    if (absoluteAdjusted > kResidualThresholds[2]) return 3;
    if (absoluteAdjusted > kResidualThresholds[1]) return 2;
    if (absoluteAdjusted > kResidualThresholds[0]) return 1;
    return 0;
}

const char* residualMark(int level) {
    static constexpr const char* kMarks[] = {"", "*", "**", "***"};
    return level >= 0 && level <= 3 ? kMarks[level] : "";
}

bool parseWholeNumber(std::string_view original, double& value) {
    const std::string folded = foldFullWidth(original);
    std::string_view text = folded;
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    // from_chars takes no plus sign. One may stand before the number, but not before another sign:
    // "+-5" is no number, and a cell reads it as 0.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) return false;
    }
    if (text.empty()) return false;
    // from_chars accepts only a decimal number here: no hexadecimal, "inf" or "nan".
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ptr != text.data() + text.size()) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double, it is zero, as a cell reads it; too large, it is refused.
        const double tiny = cellTextValue(text);
        if (!std::isfinite(tiny)) return false;
        value = tiny;
    } else if (result.ec != std::errc()) {
        return false;
    }
    for (char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E') return false;
    }
    return true;
}

std::string ResidualFailure::message() const {
    switch (kind) {
        case NonPositiveRowTotal:
            return "行" + signedNumberText(row) + " の合計が 0 以下なので、残差分析はできません。";
        case NonPositiveColumnTotal:
            return "列" + signedNumberText(column) + " の合計が 0 以下なので、残差分析はできません。";
        case EntryNotANumber:
            return "行" + signedNumberText(row) + "・列" + signedNumberText(column) +
                   " のマス目が一つの数値になっていないので、残差分析はできません。数値を入力してください。";
        case NotComputable:
            return "計算できない値があるので、残差分析はできません。";
        case None: break;
    }
    return {};
}

ResidualResult computeResiduals(const CrossTable& t, const std::array<std::string, kCellCount>& currentEntries,
                                int decimals) {
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
            double entry = 0;
            if (!parseWholeNumber(currentEntries[cellIndex(i + 1, j + 1)], entry)) {
                return fail(ResidualFailure::EntryNotANumber, i + 1, j + 1);
            }
            // The margins were built from single-precision cells; the entry is read the same way,
            // or a large entry would differ from its own cell by the rounding alone.
            const double current = toSingle(entry);
            const double r = t.rowTotal[i];
            const double c = t.columnTotal[j];
            ResidualCell& cell = result.table.cells[i][j];
            cell.residual = residualObserved(t.observed[i][j]) - static_cast<double>(toSingle(t.expected[i][j]));
            cell.expectedFromMargins = (c * r) / n;
            cell.standardized = (current - cell.expectedFromMargins) / std::sqrt(cell.expectedFromMargins);
            cell.varianceFactor = (1 - c / n) * (1 - r / n);
            cell.adjusted = cell.standardized / std::sqrt(cell.varianceFactor);
            if (!std::isfinite(cell.residual) || !std::isfinite(cell.standardized) || !std::isfinite(cell.adjusted)) {
                return fail(ResidualFailure::NotComputable, i + 1, j + 1);
            }
            cell.markLevel = markLevel(std::fabs(cell.adjusted));
            cell.residualText = roundedText(cell.residual, decimals);
            cell.standardizedText = roundedText(cell.standardized, decimals);
            cell.adjustedText = roundedText(cell.adjusted, decimals) + residualMark(cell.markLevel);
        }
    }
    return result;
}

GridTexts residualTexts(const CrossTable& t, const ResidualTable& residuals) {
    GridTexts texts;
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            const ResidualCell& cell = residuals.cells[i][j];
            texts.cells[cellIndex(i + 1, j + 1)] =
                joinLines({"", cell.residualText, cell.standardizedText, cell.adjustedText});
        }
    }
    return texts;
}

std::string residualExplanation() {
    return joinLines({
        "クロス表における残差分析",
        "　どのマス目においてデータと期待値が有意にずれているか。",
        "■残差とは「度数－期待値」 のズレのこと。",
        "■標準化残差は、期待値の大きさに基づいて変換した残差。",
        "■調整済み残差は正規分布N(0,1)での検定のための変換を施した残差（両側検定）。",
        "　絶対値が 1.95996よりも大きいと  5%で有意 *",
        "　絶対値が 2.57583よりも大きいと  1%で有意 **",
        "　絶対値が 3.29048よりも大きいと 0.1%で有意 ***",
    });
}

}  // namespace tomokari
