#include "numbers/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tomokari {

std::string joinLines(std::initializer_list<std::string> lines) {
    std::string text;
    bool first = true;
    for (const std::string& line : lines) {
        if (!first) text += kLineBreak;
        text += line;
        first = false;
    }
    return text;
}

double roundToDecimals(double x, int decimals) {
    if (!std::isfinite(x) || decimals < 0 || decimals > 15) return x;
    const double scale = std::pow(10.0, decimals);  // exact for these powers
    const double scaled = x * scale;
    // From 2^52 up every double is whole already, and x * scale may overflow.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return x;
    return std::nearbyint(scaled) / scale;  // default rounding mode: half to even
}

namespace {

// `digits` significant digits of |x| (x finite and not zero): the digit string with trailing
// zeros removed, and the decimal exponent of its first digit.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal toDecimal(double magnitude, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, magnitude);
    Decimal d;
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p != '.') d.digits.push_back(*p);
    }
    d.exponent = std::atoi(p + 1);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

std::string exponentForm(const Decimal& d) {
    std::string text(1, d.digits[0]);
    if (d.digits.size() > 1) text += "." + d.digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
    return text + exponent;
}

std::string fixedForm(const Decimal& d, bool zeroBeforePoint) {
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent < 0) {
        return (zeroBeforePoint ? "0." : ".") + std::string(static_cast<size_t>(-d.exponent - 1), '0') + d.digits;
    }
    const int wholeDigits = d.exponent + 1;
    if (count <= wholeDigits) return d.digits + std::string(static_cast<size_t>(wholeDigits - count), '0');
    return d.digits.substr(0, static_cast<size_t>(wholeDigits)) + "." + d.digits.substr(static_cast<size_t>(wholeDigits));
}

std::string numberText(double x, int significantDigits, bool leadingBlank, bool zeroBeforePoint) {
    if (!std::isfinite(x)) return kNotComputableNumber;
    const std::string sign = x < 0 ? "-" : (leadingBlank ? " " : "");
    if (x == 0) return (leadingBlank ? " " : "") + std::string("0");
    const Decimal d = toDecimal(std::fabs(x), significantDigits);
    const bool exponent = d.exponent >= significantDigits || d.exponent < -3;
    return sign + (exponent ? exponentForm(d) : fixedForm(d, zeroBeforePoint));
}

}  // namespace

std::string signedNumberText(double x) { return numberText(x, 15, true, false); }

std::string signedSingleText(float x) { return numberText(static_cast<double>(x), 7, true, false); }

std::string roundedText(double x, int decimals) { return signedNumberText(roundToDecimals(x, decimals)); }

std::string signedSignificantText(double x, int digits) { return numberText(x, digits, true, false); }

std::string plainNumberText(double x) { return numberText(x, 15, false, true); }

}  // namespace tomokari
