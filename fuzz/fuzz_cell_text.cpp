// Any bytes as the text of a cell or a size box, and as a residual-step entry: the reader must find
// what strtod and strtof find in the folded text, and the number texts of the result must be showable.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "numbers/number_reader.h"
#include "numbers/number_text.h"
#include "fuzz/fuzz_checks.h"

using namespace tomokari;
using namespace tomokari::fuzz;

static bool isNumberCharacter(char c) { return std::string_view("0123456789+-.eE").find(c) != std::string_view::npos; }

// `number` holds number characters only, so strtod never reads hexadecimal, "inf" or "nan".
template <typename T>
static void compare(std::string_view text, const NumberSyntax& syntax, const char* number) {
    char* end = nullptr;
    const T expected = sizeof(T) == sizeof(float) ? std::strtof(number, &end) : std::strtod(number, &end);
    const std::optional<T> got = readNumber<T>(text, syntax);
    require(got.has_value() == (end != number && (!syntax.whole || *end == '\0')), "a number is found", text);
    if (got) require(*got == expected && std::signbit(*got) == std::signbit(expected), "read as strtod", text);
}

// 15 significant digits stand for a double; read back in long double, as those of the largest double lie beyond it.
static void checkTexts(double x, float single) {
    for (const std::string& s : {signedNumberText(x), plainNumberText(x), roundedText(x, 3), signedSingleText(single)})
        require(isShowable(s), "number texts are showable", s);
    const long double shown = std::strtold(signedNumberText(x).c_str(), nullptr);
    require(!std::isfinite(x) || std::fabs(shown - x) <= 1e-14L * std::fabs(x) + 1e-323L, "15 digits show a double");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string folded = foldFullWidth(text);
    std::string cell = folded;  // a cell: blanks, tabs and line feeds dropped anywhere, then the number at the start
    std::erase_if(cell, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
    cell.erase(std::ranges::find_if_not(cell, isNumberCharacter), cell.end());
    // An entry: one number and nothing else, blanks and tabs around it.
    const std::size_t first = folded.find_first_not_of(" \t"), last = folded.find_last_not_of(" \t");
    std::string entry = first == std::string::npos ? "" : folded.substr(first, last - first + 1);
    if (!std::ranges::all_of(entry, isNumberCharacter)) entry.clear();
    for (const auto& [syntax, number] : {std::pair{kCellSyntax, cell}, std::pair{kEntrySyntax, entry}}) {
        compare<double>(text, syntax, number.c_str());
        compare<float>(text, syntax, number.c_str());
    }
    checkTexts(cellTextValue(text), readNumber<float>(text, kCellSyntax).value_or(0));
    checkTexts(std::nan(""), std::nanf(""));  // no text reads as NaN
    return 0;
}
