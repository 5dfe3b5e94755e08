// Plays the case files in TOMOKARI_CASES_DIR: how texts read as numbers, how numbers read as
// texts, and how table files load. One case a line, fields separated by tabs, each file's
// header describing its columns; a failure names the file and line.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "engine/cross_table.h"
#include "numbers/number_reader.h"
#include "numbers/number_text.h"
#include "tables/reference_tables.h"

namespace tomokari {
namespace {

namespace fs = std::filesystem;

// Calls play(fields) for every case of the file, whose rows must have `fields` fields
// (or `fields` + 1 where the last one is optional).
template <typename Play>
void forEachRow(const std::string& name, size_t fields, Play play) {
    std::ifstream in(fs::path(TOMOKARI_CASES_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(name + ":" + std::to_string(n));
        std::vector<std::string> row;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) row.push_back(field);
        if (row.size() == fields || row.size() == fields + (name == "table_files.txt")) play(row);
        else ADD_FAILURE() << row.size() << " fields";
    }
}

// Slot n (from 1, row-major) of a table file of canonical numbers: critical value (df, level)
// is "df.level", sample size (df, step) df * 100 + step, so that a shifted slot shows.
std::pair<std::string, std::string> canonical(char table, int n) {
    const int width = table == 'c' ? kLevelCount : kOmegaStepCount, df = (n - 1) / width + 1, i = (n - 1) % width + 1;
    return {table + std::to_string(df) + "," + std::to_string(i),
            table == 'c' ? std::to_string(df) + "." + std::to_string(i) : std::to_string(df * 100 + i)};
}

// \t \n \r \xHH, a backslash keeps any other character; {N*piece} repeats the piece;
// {cA-B|sep} and {pA-B|sep} join canonical slots A..B ({cB}: 1..B) by sep, a line feed when
// left out. Other braces, such as {dir}, stay as they are.
std::string unescaped(std::string_view text) {
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
std::optional<double> valueOf(const std::string& text, bool single) {
    if (text == "none") return std::nullopt;
    char* end = nullptr;
    const double value = single ? std::strtof(text.c_str(), &end) : std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "unreadable value " << text;
    return value;
}

// Tells -0 from 0, and lets NaN match NaN.
bool same(std::optional<double> a, std::optional<double> b) {
    if (!a || !b) return !a && !b;
    return (std::isnan(*a) && std::isnan(*b)) || (*a == *b && std::signbit(*a) == std::signbit(*b));
}

TEST(Cases, NumberReadings) {
    // Given a directory, every text up to libFuzzer's default length seeds the cell fuzzer.
    const char* corpus = std::getenv("TOMOKARI_SEED_CORPUS");
    forEachRow("number_cases.txt", 3, [&](const std::vector<std::string>& fields) {
        const std::string& syntax = fields[0];
        const std::string text = unescaped(fields[1]);
        std::optional<double> got = readNumber<double>(text, syntax == "cell" ? kCellSyntax : kEntrySyntax);
        if (syntax == "table") got = readNumber<float>(text, kTableSyntax);
        EXPECT_TRUE(syntax == "cell" || syntax == "entry" || syntax == "table") << syntax;
        EXPECT_TRUE(syntax != "cell" || same(cellTextValue(text), got.value_or(0.0))) << "cellTextValue";
        EXPECT_TRUE(same(got, valueOf(fields[2], syntax == "table"))) << "read " << testing::PrintToString(got);
        if (corpus && text.size() <= 4096) std::ofstream(fs::path(corpus) / std::to_string(std::hash<std::string>()(text)), std::ios::binary) << text;
    });
}

TEST(Cases, NumberTexts) {
    forEachRow("number_texts.txt", 3, [](const std::vector<std::string>& fields) {
        const std::string& function = fields[0];
        std::string number;
        int decimals = 0;
        std::istringstream(fields[1]) >> number >> decimals;
        const double x = valueOf(number, false).value_or(0);
        if (function == "round" || function == "tosingle") {
            const double value = function == "round" ? roundToDecimals(x, decimals) : toSingle(x);
            EXPECT_TRUE(same(value, valueOf(fields[2], function == "tosingle"))) << testing::PrintToString(value);
            return;
        }
        const std::string text = function == "signed"  ? signedNumberText(x)
                                 : function == "single" ? signedSingleText(std::strtof(number.c_str(), nullptr))
                                 : function == "plain"  ? plainNumberText(x)
                                 : function == "rounded" ? roundedText(x, decimals) : "no function " + function;
        EXPECT_EQ("\"" + text + "\"", fields[2]);
    });
}

// A table file: contents, or <missing>, <directory> or <read-error> (opens, then fails to
// read, on Linux).
bool place(const fs::path& file, const std::string& contents) {
    std::error_code ec;
    if (contents == "<directory>") fs::create_directory(file);
    if (contents == "<read-error>") fs::create_symlink("/proc/self/mem", file, ec);
    if (contents.empty() || contents[0] != '<') std::ofstream(file, std::ios::binary) << unescaped(contents);
    return !ec;
}

TEST(Cases, TableFiles) {
    const fs::path base = fs::temp_directory_path() / ("tomokari-cases-" + std::to_string(std::random_device{}()));
    forEachRow("table_files.txt", 3, [&](const std::vector<std::string>& fields) {
        fs::remove_all(base);
        const fs::path dir = base / (fields.size() == 4 ? unescaped(fields[3]) : "tables");
        fs::create_directories(dir);
        ASSERT_TRUE(place(dir / kCriticalValueFileName, fields[0]) && place(dir / kPowerSampleFileName, fields[1]));
        std::vector<TableLoadResult> results{loadReferenceTables(dir)};
        // The same case from the contents, unless it is about the file system; the files are gone first.
        const auto onDisk = [](const std::string& f) { return f == "<directory>" || f == "<read-error>"; };
        if (!onDisk(fields[0]) && !onDisk(fields[1])) {
            const auto given = [](const std::string& f) { return f == "<missing>" ? std::nullopt : std::optional(unescaped(f)); };
            fs::remove_all(base);
            results.push_back(loadReferenceTables(given(fields[0]), given(fields[1]), dir));
        }
        for (const TableLoadResult& result : results) {
            SCOPED_TRACE(&result == &results.front() ? "from the directory" : "from the contents");
            std::istringstream expected(fields[2]);
            if (std::string word; !(expected >> word) || word != "ok") {
                std::string message = unescaped(fields[2]);
                for (const auto& [from, to] : {std::pair<std::string, std::string>{"{dir}", dir}, {"{tmp}", base}})
                    for (size_t at; (at = message.find(from)) != std::string::npos;) message.replace(at, from.size(), to);
                EXPECT_EQ(result.error ? result.error->message() : "(loaded)", message);
                continue;
            }
            ASSERT_TRUE(result.tables) << result.error->message();
            std::map<std::string, std::string> want;  // canonical, unless the row says otherwise
            for (int n = 1; n <= kMaxDegreesOfFreedom * kOmegaStepCount; ++n) {
                if (n <= kMaxDegreesOfFreedom * kLevelCount) want.insert(canonical('c', n));
                want.insert(canonical('p', n));
            }
            for (std::string probe; expected >> probe;) want[probe.substr(0, probe.find('='))] = probe.substr(probe.find('=') + 1);
            for (const auto& [key, value] : want) {
                int df = 0, index = 0;
                EXPECT_EQ(std::sscanf(key.c_str() + 1, "%d,%d", &df, &index), 2) << key;
                const float got = key[0] == 'c' ? result.tables->critical.at(df, index) : result.tables->power.at(df, index);
                EXPECT_TRUE(same(got, valueOf(value, true))) << key << " holds " << got;
            }
        }
    });
    fs::remove_all(base);
}

}  // namespace
}  // namespace tomokari
