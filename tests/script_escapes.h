#pragma once
// The escapes of a script line's text, shared by the scripted runner and the core's player.

#include <string>
#include <string_view>

namespace tomokari {

// \t, \n, \r and \\ stand for a tab, a line feed, a carriage return and a backslash.
inline std::string unescapeScriptText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t escape = text[i] == '\\' && i + 1 < text.size() ? std::string_view("tnr\\").find(text[i + 1]) : std::string_view::npos;
        out += escape == std::string_view::npos ? text[i] : "\t\n\r\\"[escape];
        i += escape == std::string_view::npos ? 0 : 1;
    }
    return out;
}

}  // namespace tomokari
