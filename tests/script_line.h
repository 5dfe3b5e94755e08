#pragma once
// A line of a script as every player reads it: the scripted runner, the core's player and the
// random sequences' rules.

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

// The command and what follows its blank ("rest"); for "type" and "paste" also the box, which is
// the rest up to its first blank, and the text after that blank with its escapes undone.
struct ScriptLine {
    std::string command, rest, box, text;
};

// A blank line or a comment has no command. `line` comes without its line break, CR LF or LF.
inline ScriptLine readScriptLine(std::string_view line) {
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#') return {};
    const size_t blank = line.find(' ');
    ScriptLine read{std::string(line.substr(0, blank)), blank == std::string_view::npos ? "" : std::string(line.substr(blank + 1)), "", ""};
    const size_t boxEnd = read.rest.find(' ');
    read.box = read.rest.substr(0, boxEnd);
    if (boxEnd != std::string::npos) read.text = unescapeScriptText(std::string_view(read.rest).substr(boxEnd + 1));
    return read;
}

}  // namespace tomokari
