// Cell texts as a student may type or paste them. Folding, reading, the whole-entry check
// of the residual step and the number texts must never fail, and must agree with a reading
// made independently with strtod.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "engine/cross_table.h"
#include "engine/number_text.h"
#include "engine/residuals.h"
#include "fuzz/fuzz_checks.h"

namespace {

using namespace tomokari;
using fuzz::require;

// The ASCII form of a code point that folding replaces, or 0 when it stays as it is.
char foldedForm(unsigned code) {
    if (code == 0x3000) return ' ';
    if (code < 0xFF01 || code > 0xFF5E) return 0;
    const char ascii = static_cast<char>(code - 0xFF00 + 0x20);
    const bool folds = (ascii >= '0' && ascii <= '9') || std::strchr("+-.Ee", ascii) != nullptr;
    return folds ? ascii : 0;
}

// Folding done by decoding complete three-byte UTF-8 sequences; every other byte is copied.
std::string referenceFold(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + 3 <= text.size()) {
            const auto b0 = static_cast<unsigned char>(text[i]);
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            if ((b0 & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
                const unsigned code = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
                if (const char ascii = foldedForm(code)) {
                    out.push_back(ascii);
                    i += 3;
                    continue;
                }
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

bool isNumberCharacter(char c) { return c != '\0' && std::strchr("0123456789+-.eE", c) != nullptr; }

// The leading number of the folded text with blanks, tabs and line feeds removed, read by
// strtod. Cutting at the first character that cannot belong to a decimal number keeps
// strtod from reading hexadecimal, "inf" or "nan".
double referenceValue(std::string_view text) {
    std::string candidate;
    for (const char c : referenceFold(text)) {
        if (c == ' ' || c == '\t' || c == '\n') continue;
        if (!isNumberCharacter(c)) break;
        candidate.push_back(c);
    }
    return std::strtod(candidate.c_str(), nullptr);
}

void checkFolding(std::string_view text) {
    const std::string folded = foldFullWidth(text);
    require(folded.size() <= text.size(), "folding never lengthens a text", text);
    require(folded == referenceFold(text), "only whole full-width sequences are folded", text);
    require(foldFullWidth(folded) == folded, "folding a folded text changes nothing", text);
    if (fuzz::isValidUtf8(text)) require(fuzz::isValidUtf8(folded), "folding keeps UTF-8 valid", text);
}

void checkReading(std::string_view text, double value) {
    require(!std::isnan(value), "a cell text never reads as NaN", text);
    const double reference = referenceValue(text);
    require(value == reference, "a cell text reads as strtod reads its leading number", text);

    const bool onlyDigits =
        !text.empty() && text.size() <= 15 && text.find_first_not_of("0123456789") == std::string_view::npos;
    if (onlyDigits) {
        const auto whole = static_cast<double>(std::strtoull(std::string(text).c_str(), nullptr, 10));
        require(value == whole, "a text of digits reads as that number", text);
    }
}

// The entry check of the residual step must agree with the reading of the totals step:
// an entry it accepts reads the same in a cell, and a text that is exactly one finite
// decimal number (blanks around it allowed) is accepted.
void checkWholeEntry(std::string_view text, double value) {
    double whole = 0;
    const bool accepted = parseWholeNumber(text, whole);
    if (accepted) {
        require(std::isfinite(whole), "an accepted entry is finite", text);
        require(whole == value, "an accepted entry reads the same in a cell", text);
    }

    std::string trimmed = referenceFold(text);
    const std::size_t first = trimmed.find_first_not_of(" \t");
    if (first == std::string::npos) return;
    trimmed = trimmed.substr(first, trimmed.find_last_not_of(" \t") - first + 1);
    for (const char c : trimmed) {
        if (!isNumberCharacter(c)) return;
    }
    char* end = nullptr;
    const double reference = std::strtod(trimmed.c_str(), &end);
    // A number beyond the double range is refused; one too small for it reads as zero, as in a cell.
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(reference)) return;
    require(accepted, "a text that is one number is accepted as an entry", text);
    require(whole == reference, "an accepted entry has the value strtod gives", text);
}

void checkSingle(double value) {
    // Halfway between the largest float and 2^128: the first value that rounds to infinity.
    constexpr double kOverflow = 3.4028235677973366e38;
    constexpr float kLargest = std::numeric_limits<float>::max();
    const float single = toSingle(value);
    if (std::isnan(value)) {
        require(std::isnan(single), "NaN stays NaN in single precision");
        return;
    }
    if (std::fabs(value) >= kOverflow) {
        require(std::isinf(single) && std::signbit(single) == std::signbit(value), "overflow gives an infinity");
    } else if (std::fabs(value) > static_cast<double>(kLargest)) {
        require(single == (value < 0 ? -kLargest : kLargest), "just beyond the largest float rounds back to it");
    } else {
        require(single == static_cast<float>(value), "single precision is the nearest float");
    }
}

// The number texts show a finite value to the digits they promise and never anything else.
void checkNumberTexts(double value) {
    const std::string texts[] = {signedNumberText(value), plainNumberText(value), signedSingleText(toSingle(value)),
                                 signedNumberText(roundToDecimals(value, 3))};
    for (const std::string& text : texts) fuzz::checkDisplayed(text, "number texts are displayable", false);
    if (!std::isfinite(value)) {
        require(texts[0] == kNotComputableNumber && texts[1] == kNotComputableNumber,
                "a non-finite value has the not-computable text");
        return;
    }
    require(texts[0][0] == (value < 0 ? '-' : ' '), "a signed text starts with its sign or a blank", texts[0]);
    // Read back in long double: fifteen digits of the largest double lie beyond it.
    const long double shown = std::strtold(texts[0].c_str(), nullptr);
    const long double tolerance = 1e-14L * std::fabs(value) + 1e-323L;
    require(std::fabs(shown - value) <= tolerance, "fifteen digits show a double", texts[0]);
    require(std::strtold(texts[1].c_str(), nullptr) == shown, "the plain text has the same value", texts[1]);

    const float single = toSingle(value);
    if (std::isfinite(single)) {
        const double singleShown = std::strtod(texts[2].c_str(), nullptr);
        require(std::fabs(singleShown - single) <= 5e-7 * std::fabs(single), "seven digits show a float", texts[2]);
    }

    const double rounded = roundToDecimals(value, 3);
    require(std::isfinite(rounded), "rounding keeps a value finite");
    // Half a step of 0.001, and the error of scaling by 1000 and back.
    require(std::fabs(rounded - value) <= 0.0005 + 1e-15 * std::fabs(value), "rounding moves by half a step");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkFolding(text);
    const double value = cellTextValue(text);
    checkReading(text, value);
    checkWholeEntry(text, value);
    checkSingle(value);
    checkNumberTexts(value);

    // The same bytes as a double reach values no text reads as: NaN, subnormals, any bits.
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        checkSingle(raw);
        checkNumberTexts(raw);
    }
    return 0;
}
