#include "numbers/number_reader.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

namespace tomokari {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Saturates far beyond any text's length: the zeros before the first significant digit must
// never outweigh a saturated exponent.
constexpr long long kExponentLimit = 100'000'000'000'000'000;

struct Scan {
    size_t end = 0;               // one past the number; 0 when there is none
    bool negative = false;
    std::string_view unsignedPart;  // the number without its sign
    long long order = 0;          // decimal order of magnitude of the first significant digit
    bool zero = true;             // no significant digit at all
};

// The longest number at the start of `text`.
Scan scanNumber(std::string_view text) {
    Scan scan;
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) scan.negative = text[pos++] == '-';
    const size_t start = pos;
    long long digitsBeforePoint = 0;  // significant ones
    long long zerosAfterPoint = 0;    // before the first significant digit
    size_t digitCount = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digitCount) {
        if (text[pos] != '0') scan.zero = false;
        if (!scan.zero) ++digitsBeforePoint;
    }
    if (pos < text.size() && text[pos] == '.') {
        for (++pos; pos < text.size() && isDigit(text[pos]); ++pos, ++digitCount) {
            if (scan.zero && text[pos] == '0') ++zerosAfterPoint;
            else scan.zero = false;
        }
    }
    if (digitCount == 0) return {};
    long long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t p = pos + 1;
        bool negativeExponent = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) negativeExponent = text[p++] == '-';
        if (p < text.size() && isDigit(text[p])) {
            for (; p < text.size() && isDigit(text[p]); ++p) {
                if (exponent < kExponentLimit) exponent = exponent * 10 + (text[p] - '0');
            }
            if (negativeExponent) exponent = -exponent;
            pos = p;
        }
    }
    scan.end = pos;
    scan.unsignedPart = text.substr(start, pos - start);
    scan.order = (digitsBeforePoint > 0 ? digitsBeforePoint - 1 : -(zerosAfterPoint + 1)) + exponent;
    return scan;
}

template <typename T>
T valueOf(const Scan& scan) {
    T value = 0;
#if defined(__cpp_lib_to_chars)
    const char* first = scan.unsignedPart.data();
    const auto result = std::from_chars(first, first + scan.unsignedPart.size(), value, std::chars_format::general);
    const bool outOfRange = result.ec == std::errc::result_out_of_range;
#else
    // The browser build's C++ library reads no floating point with from_chars; strtof and strtod
    // round as exactly, and the scan has left them only digits, a point and an exponent.
    const std::string digits(scan.unsignedPart);
    errno = 0;
    value = std::is_same_v<T, float> ? std::strtof(digits.c_str(), nullptr) : std::strtod(digits.c_str(), nullptr);
    // A subnormal result also sets ERANGE there; only overflow and underflow to zero count.
    const bool outOfRange = errno == ERANGE && (std::isinf(value) || value == 0);
#endif
    if (outOfRange) {
        value = !scan.zero && scan.order > 0 ? std::numeric_limits<T>::infinity() : T(0);
    }
    return scan.negative ? -value : value;
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
            const char ascii = static_cast<char>((byte(i + 1) == 0xBC ? 0 : 0x40) + (byte(i + 2) - 0x80) + 0x20);
            if (isDigit(ascii) || ascii == '+' || ascii == '-' || ascii == '.' || ascii == 'E' || ascii == 'e') {
                folded.push_back(ascii);
                i += 2;
                continue;
            }
        }
        folded.push_back(text[i]);
    }
    return folded;
}

template <typename T>
std::optional<T> readNumber(std::string_view original, const NumberSyntax& syntax) {
    std::string text = syntax.fullWidth ? foldFullWidth(original) : std::string(original);
    if (!syntax.dropped.empty()) std::erase_if(text, [&](char c) { return syntax.dropped.find(c) != std::string_view::npos; });
    std::string_view rest = text;
    const size_t first = rest.find_first_not_of(syntax.around);
    rest.remove_prefix(first == std::string_view::npos ? rest.size() : first);
    const Scan scan = scanNumber(rest);
    if (scan.end == 0) return std::nullopt;
    if (syntax.whole && rest.find_first_not_of(syntax.around, scan.end) != std::string_view::npos) return std::nullopt;
    return valueOf<T>(scan);
}

template std::optional<double> readNumber<double>(std::string_view, const NumberSyntax&);
template std::optional<float> readNumber<float>(std::string_view, const NumberSyntax&);

float toSingle(double value) {
    // Halfway between the largest float and the next power of two: from here on the
    // nearest single-precision value is infinite.
    constexpr double kOverflow = 3.4028235677973366e38;
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

double cellTextValue(std::string_view text) { return readNumber<double>(text, kCellSyntax).value_or(0.0); }

double sizeTextValue(std::string_view text) { return readNumber<double>(text, kSizeSyntax).value_or(0.0); }

std::string withoutDigitGroups(const std::string& field) {
    // [sign] d{1,3} (,ddd)+ [.digits]: the commas stand every fourth place from the point.
    const size_t start = field.find_first_not_of("+-") == 1 ? 1 : 0;
    const std::string whole = field.substr(start, field.find('.') - start);
    bool grouped = whole.size() > 4 && whole.size() % 4 != 0;
    for (size_t k = 0; grouped && k < whole.size(); ++k) {
        grouped = (whole.size() - k) % 4 == 0 ? whole[k] == ',' : whole[k] >= '0' && whole[k] <= '9';
    }
    if (!grouped) return field;
    std::string plain = field;
    std::erase(plain, ',');
    return plain;
}

}  // namespace tomokari
