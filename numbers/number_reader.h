#pragma once
// The one reader of numbers typed by a user or stored in a table file. Every use reads the
// same syntax, [sign] digits [. digits] [e [sign] digits], with at least one digit before
// the exponent; the uses differ only in the options below.

#include <optional>
#include <string>
#include <string_view>

namespace tomokari {

// Students type with the Japanese input method on: full-width digits, signs, decimal point
// and exponent letters become their ASCII forms, and the ideographic space a blank.
// Everything else is left as it is.
std::string foldFullWidth(std::string_view text);

struct NumberSyntax {
    bool fullWidth = false;      // fold full-width forms first
    std::string_view dropped;    // characters removed wherever they stand
    std::string_view around;     // characters allowed before and after the number
    bool whole = false;          // nothing else may follow the number
};

// A cell or a size box: blanks, tabs and line feeds are dropped wherever they stand, and the
// number at the start is read; what follows it is ignored.
inline constexpr NumberSyntax kCellSyntax{true, " \t\n", "", false};
// A size box: the number at the start of the text, after leading blanks; what follows it is
// ignored ("2 3" reads as 2).
inline constexpr NumberSyntax kSizeSyntax{true, "", " \t", false};
// The residual step's check of an entry: the whole entry is one number, blanks around it.
inline constexpr NumberSyntax kEntrySyntax{true, "", " \t", true};
// A token of a table file, already cut at its separators: ASCII only, the whole token.
inline constexpr NumberSyntax kTableSyntax{false, "", "", true};

// The number the text holds under the syntax; empty when it holds none. A number beyond the
// range of T reads as an infinity of its sign, one too small for T as a zero of its sign.
template <typename T>
std::optional<T> readNumber(std::string_view text, const NumberSyntax& syntax);

extern template std::optional<double> readNumber<double>(std::string_view, const NumberSyntax&);
extern template std::optional<float> readNumber<float>(std::string_view, const NumberSyntax&);

// What a cell text stands for: its number, or 0 when it holds none. Never fails.
double cellTextValue(std::string_view text);

// What a size box stands for: its number, or 0 when it holds none.
double sizeTextValue(std::string_view text);

// Nearest single-precision value, an infinity beyond the single-precision range: how the table
// holds what a cell reads.
float toSingle(double value);

// A field pasted from a spreadsheet without the commas that group its digits ("1,234" as a
// spreadsheet copies a formatted number gives 1234); anything else (a decimal comma, text) stays
// as it is.
std::string withoutDigitGroups(const std::string& field);

}  // namespace tomokari
