#include "engine/cross_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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

namespace {

constexpr long long kExponentLimit = 100'000'000'000'000'000;

bool isSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a well-formed number that std::from_chars found out of range: overflow to an
// infinity or underflow to zero, decided by the decimal magnitude of the first significant digit.
double outOfRangeValue(std::string_view mantissa, long long exponent, bool negative) {
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return negative ? -0.0 : 0.0;
    const long long magnitude = first < point ? static_cast<long long>(point - first) - 1
                                              : -static_cast<long long>(first - point);
    const double value = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

}  // namespace

std::string foldFullWidth(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        if (i + 2 < text.size() && byte(i) == 0xE3 && byte(i + 1) == 0x80 && byte(i + 2) == 0x80) {
            folded.push_back(' ');  // U+3000 ideographic space
            i += 2;
            continue;
        }
        // The third byte must continue the sequence: a cut sequence followed by ASCII ("\xEF\xBDP")
        // is no full-width form and stays as it is.
        if (i + 2 < text.size() && byte(i) == 0xEF && (byte(i + 1) == 0xBC || byte(i + 1) == 0xBD) &&
            (byte(i + 2) & 0xC0) == 0x80) {
            // U+FF01..U+FF5E are the full-width forms of ASCII 0x21..0x7E.
            const int code = 0xFF00 + (byte(i + 1) == 0xBC ? 0 : 0x40) + (byte(i + 2) - 0x80);
            const char ascii = static_cast<char>(code - 0xFF00 + 0x20);
            if ((ascii >= '0' && ascii <= '9') || ascii == '+' || ascii == '-' || ascii == '.' || ascii == 'E' ||
                ascii == 'e') {
                folded.push_back(ascii);
                i += 2;
                continue;
            }
        }
        folded.push_back(text[i]);
    }
    return folded;
}

double cellTextValue(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : foldFullWidth(text)) {
        if (!isSkipped(c)) compact.push_back(c);
    }

    size_t pos = 0;
    bool negative = false;
    if (pos < compact.size() && (compact[pos] == '+' || compact[pos] == '-')) {
        negative = compact[pos] == '-';
        ++pos;
    }
    const size_t mantissaStart = pos;
    size_t digitCount = 0;
    while (pos < compact.size() && isDigit(compact[pos])) ++pos, ++digitCount;
    if (pos < compact.size() && compact[pos] == '.') {
        ++pos;
        while (pos < compact.size() && isDigit(compact[pos])) ++pos, ++digitCount;
    }
    if (digitCount == 0) return 0.0;
    const size_t mantissaEnd = pos;

    long long exponent = 0;
    if (pos < compact.size() && (compact[pos] == 'e' || compact[pos] == 'E')) {
        size_t p = pos + 1;
        bool negativeExponent = false;
        if (p < compact.size() && (compact[p] == '+' || compact[p] == '-')) {
            negativeExponent = compact[p] == '-';
            ++p;
        }
        if (p < compact.size() && isDigit(compact[p])) {
            // Saturate far beyond any text's length: the zeros before the first significant digit
            // must never outweigh a saturated exponent.
            for (; p < compact.size() && isDigit(compact[p]); ++p) {
                if (exponent < kExponentLimit) exponent = exponent * 10 + (compact[p] - '0');
            }
            if (negativeExponent) exponent = -exponent;
            pos = p;
        }
    }

    const std::string_view number(compact.data() + mantissaStart, pos - mantissaStart);
    double value = 0.0;
    const std::errc error = std::from_chars(number.data(), number.data() + number.size(), value).ec;
    if (error == std::errc::result_out_of_range) {
        return outOfRangeValue(std::string_view(compact.data() + mantissaStart, mantissaEnd - mantissaStart), exponent,
                               negative);
    }
    if (error != std::errc()) return 0.0;
    return negative ? -value : value;
}

float toSingle(double value) {
    // Halfway between the largest float and the next power of two: from here on the
    // nearest single-precision value is infinite.
    constexpr double kOverflow = 3.4028235677973366e38;
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
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
