#pragma once
// The number-to-text forms shared by every report, and the rounding used before display.

#include <initializer_list>
#include <string>

namespace tomokari {

// Lines of every multi-line text are joined by LF; a front end that needs CR LF converts.
inline constexpr const char* kLineBreak = "\n";

// The lines joined by kLineBreak, with none after the last.
std::string joinLines(std::initializer_list<std::string> lines);

// x rounded to `decimals` places: scaled by 10^decimals, rounded half to even, scaled back.
// Values too large to carry a fraction at that scale, and non-finite values, come back unchanged.
double roundToDecimals(double x, int decimals);

// A double with at most 15 significant digits: one leading blank when not negative, "-" when
// negative, no zero before the point below 1 (" .5"), no trailing zeros, no grouping.
// Magnitudes of 1E+15 and more and below 1E-03 take the exponent form (" 1E+15", " 1E-04").
std::string signedNumberText(double x);

// The same for a single-precision value, with at most 7 significant digits; magnitudes of
// 1E+07 and more take the exponent form, since 7 digits cannot show them whole.
std::string signedSingleText(float x);

// signedNumberText of x rounded to `decimals` places: how every statistic is displayed.
std::string roundedText(double x, int decimals);

// x with `digits` significant digits in the form of signedNumberText: " .0123", " 7.74E-04".
std::string signedSignificantText(double x, int digits);

// signedNumberText without the leading blank and with a zero before the point ("0.5").
std::string plainNumberText(double x);

// A value that no form above can show (infinite or not a number) is never displayed as
// digits or "inf"/"nan": it gets this text instead.
inline constexpr const char* kNotComputableNumber = "計算不能";

}  // namespace tomokari
