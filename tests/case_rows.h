#pragma once
// Plays case files, one case a row: the rows, and the escapes of the texts of the tab-separated
// files of the numbers layer and of the table files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tables/reference_tables.h"

namespace tomokari::cases {

namespace fs = std::filesystem;

// Calls play(fields) for every row of the file `name` in TOMOKARI_CASES_DIR, traced by its name
// and line: blank lines and lines that start with '#' are skipped, a trailing "  # note" is cut,
// and the rest is split at `separator` into `fewest` to `most` fields.
template <typename Play>
inline void forEachRow(const std::string& name, std::string_view separator, size_t fewest, size_t most, Play play) {
    std::ifstream in(fs::path(TOMOKARI_CASES_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(name + ":" + std::to_string(n));
        line.erase(std::min(line.find("  #"), line.size()));
        std::vector<std::string> row;
        for (size_t at; (at = line.find(separator)) != std::string::npos; line.erase(0, at + separator.size())) row.push_back(line.substr(0, at));
        row.push_back(line);
        if (row.size() >= fewest && row.size() <= most) play(row);
        else ADD_FAILURE() << row.size() << " fields";
    }
}

// Slot n (from 1, row-major) of a table file of canonical numbers: critical value (df, level)
// is "df.level", sample size (df, step) df * 100 + step, so that a shifted slot shows.
inline std::pair<std::string, std::string> canonical(char table, int n) {
    const int width = table == 'c' ? kLevelCount : kOmegaStepCount, df = (n - 1) / width + 1, i = (n - 1) % width + 1;
    return {table + std::to_string(df) + "," + std::to_string(i),
            table == 'c' ? std::to_string(df) + "." + std::to_string(i) : std::to_string(df * 100 + i)};
}

// \t \n \r \xHH, a backslash keeps any other character; {N*piece} repeats the piece;
// {cA-B|sep} and {pA-B|sep} join canonical slots A..B ({cB}: 1..B) by sep, a line feed when
// left out. Other braces, such as {dir}, stay as they are.
inline std::string unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            if (c == 'x') out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)), i += 2;
            else out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
            continue;
        }
        const size_t close = text.find('}', i);
        const std::string inner = text[i] == '{' && close != std::string_view::npos ? std::string(text.substr(i + 1, close - i - 1)) : "";
        int first = 1, last = 0;
        if (const size_t star = inner.find('*'); star != std::string::npos) {
            for (int n = std::stoi(inner); n > 0; --n) out += unescaped(inner.substr(star + 1));
        } else if (!inner.empty() && (inner[0] == 'c' || inner[0] == 'p') && std::sscanf(inner.c_str() + 1, "%d-%d", &first, &last) >= 1) {
            if (last == 0) last = std::exchange(first, 1);
            const size_t bar = inner.find('|');
            const std::string separator = bar == std::string::npos ? "\n" : unescaped(inner.substr(bar + 1));
            for (int n = first; n <= last; ++n) out += (n > first ? separator : "") + canonical(inner[0], n).second;
        } else {
            out += text[i];
            continue;
        }
        i = close;
    }
    return out;
}

// "none", or a number read exactly, inf and -0 included.
inline std::optional<double> valueOf(const std::string& text, bool single) {
    if (text == "none") return std::nullopt;
    char* end = nullptr;
    const double value = single ? std::strtof(text.c_str(), &end) : std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "unreadable value " << text;
    return value;
}

// Tells -0 from 0, and lets NaN match NaN.
inline bool same(std::optional<double> a, std::optional<double> b) {
    if (!a || !b) return !a && !b;
    return (std::isnan(*a) && std::isnan(*b)) || (*a == *b && std::signbit(*a) == std::signbit(*b));
}

}  // namespace tomokari::cases
