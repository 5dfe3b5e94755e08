#pragma once
// Rules shared by the fuzz targets. A broken rule prints what broke and aborts, which libFuzzer
// records as a crash together with the input that led to it.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tomokari::fuzz {

inline void require(bool holds, const char* rule, std::string_view text = "") {
    if (holds) return;
    std::fprintf(stderr, "\nbroken rule: %s\ntext: \"%.*s\"\n", rule, static_cast<int>(text.size()), text.data());
    std::abort();
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
inline bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        const auto byte = [&](std::size_t k) -> unsigned { return i + k < text.size() ? text[i + k] & 0xFF : 0; };
        const unsigned lead = byte(0), low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80,
                       high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;  // of the second byte
        length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
        if (length == 0 || (length > 1 && (byte(1) < low || byte(1) > high))) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((byte(k) & 0xC0) != 0x80) return false;
    }
    return true;
}

// Valid UTF-8 and no C rendering of a non-finite value: no word (a run of ASCII letters) "nan", "inf"
// or "infinity" in any case, as in "-nan", "1.#INF" or "Infinity"; "Fisher" or "Financial" are fine.
inline bool isShowable(std::string_view text) {
    std::string word;
    for (const char c : std::string(text) + ' ') {
        if (std::isalpha(static_cast<unsigned char>(c))) word += static_cast<char>(std::tolower(c));
        else if (word == "nan" || word == "inf" || word == "infinity") return false;
        else word.clear();
    }
    return isValidUtf8(text);
}

}  // namespace tomokari::fuzz
