#pragma once
// Checks and helpers shared by the fuzz targets. A broken rule prints what broke and aborts,
// which libFuzzer records as a crash together with the input that led to it.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/number_text.h"

namespace tomokari::fuzz {

// The text with every byte outside printable ASCII as \xNN, for the crash report.
inline std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] inline void fail(const char* rule, std::string_view text = {}) {
    std::fprintf(stderr, "\nbroken rule: %s\n", rule);
    if (!text.empty()) std::fprintf(stderr, "text: \"%s\"\n", escaped(text).c_str());
    std::abort();
}

inline void require(bool holds, const char* rule, std::string_view text = {}) {
    if (!holds) fail(rule, text);
}

// The parts of an input between separators; n separators give n + 1 parts.
inline std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    parts.push_back(text);
    return parts;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
inline bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (k == 1 ? (byte < low || byte > high) : (byte & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

inline bool containsIgnoringCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && (text[i + k] | 0x20) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

// Text a dialog can show as it is: valid UTF-8, no control characters but the CR LF between lines.
inline void checkShowable(std::string_view text, const char* rule) {
    require(isValidUtf8(text), rule, text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lineBreak = (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ||
                               (byte == '\n' && i > 0 && text[i - 1] == '\r');
        require(byte >= 0x20 || lineBreak, rule, text);
    }
}

// Every text the engine makes for a window: showable, and no C rendering of a non-finite
// value. After a step the program completed, not even the placeholder for a value that
// cannot be shown.
inline void checkDisplayed(std::string_view text, const char* rule, bool completedStep) {
    checkShowable(text, rule);
    require(!containsIgnoringCase(text, "nan") && !containsIgnoringCase(text, "inf"), rule, text);
    if (completedStep) require(text.find(kNotComputableNumber) == std::string_view::npos, rule, text);
}

inline int lineCount(std::string_view text) {
    int count = 1;
    for (std::size_t at = text.find(kLineBreak); at != std::string_view::npos; at = text.find(kLineBreak, at + 2))
        ++count;
    return count;
}

}  // namespace tomokari::fuzz
