#pragma once
// JSON text of the core's state: for the front end that takes the state as text (the browser
// edition) and for the tests that print it as the scripted runner does.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tomokari {

// A JSON string as Qt writes one: UTF-8 as it is, the short escapes, \u00XX for the other
// control characters.
inline std::string jsonString(std::string_view text) {
    static constexpr char kEscaped[] = "\"\\\n\r\t\b\f";
    static constexpr char kEscapes[] = "\"\\nrtbf";
    std::string out = "\"";
    for (const char c : text) {
        const char* escaped = c != '\0' ? std::strchr(kEscaped, c) : nullptr;
        if (escaped) {
            out += '\\';
            out += kEscapes[escaped - kEscaped];
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A number at full double precision in the fewest digits that read back as the same double
// ("20", "7.7442e-06"); null for one that is not finite. Every front end splices this text as it is.
inline std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

// {"key":value,...} from pairs of a key and a value already in JSON, in their order: a
// std::map gives them sorted, as Qt writes an object.
template <typename Members>
std::string jsonObject(const Members& members) {
    std::string out;
    for (const auto& [key, value] : members) out += (out.empty() ? "" : ",") + jsonString(key) + ":" + value;
    return "{" + out + "}";
}

inline std::string jsonObject(std::initializer_list<std::pair<std::string_view, std::string>> members) {
    return jsonObject<decltype(members)>(members);
}

}  // namespace tomokari
