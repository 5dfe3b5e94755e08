// Plays the case files in TOMOKARI_CASES_DIR: how texts read as numbers, how numbers read as
// texts, and how table files load. One case a line, fields separated by tabs; a failure
// names the file and line. Each file's header describes its columns.

#include "engine/cross_table.h"
#include "engine/number_reader.h"
#include "engine/number_text.h"
#include "tables/reference_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tomokari;

namespace {

struct Row { std::string where; std::vector<std::string> fields; };

std::vector<Row> rowsOf(const std::string& name) {
    std::ifstream in(fs::path(TOMOKARI_CASES_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    std::vector<Row> rows;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') continue;
        rows.push_back({name + ":" + std::to_string(n), {}});
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) rows.back().fields.push_back(field);
    }
    return rows;
}

// Slot n (from 1, row-major) of a table file made of canonical numbers: critical value
// (df, level) is "df.level" and sample size (df, step) df * 100 + step, so a shift shows.
struct Slot { std::string key, token; };
Slot canonical(char table, int n) {
    const int width = table == 'c' ? kLevelCount : kOmegaStepCount, df = (n - 1) / width + 1, i = (n - 1) % width + 1;
    return {table + std::to_string(df) + "," + std::to_string(i),
            table == 'c' ? std::to_string(df) + "." + std::to_string(i) : std::to_string(df * 100 + i)};
}

// \t \n \r \xHH, a backslash keeps any other character; {N*piece} repeats the piece;
// {cA-B|sep} and {pA-B|sep} join canonical slots A..B ({cB}: 1..B) by sep, a line feed when
// left out. Other braces, such as {dir}, stay as they are.
std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            if (c == 'x') out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            else out.push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c);
            i += c == 'x' ? 2 : 0;
        } else if (text[i] == '{') {
            const std::size_t close = std::min(text.find('}', i), text.size());
            const std::string inner(text.substr(i + 1, close - i - 1));
            const std::size_t star = inner.find('*'), bar = inner.find('|');
            int first = 1, last = 0;
            i = close;
            if (star != std::string::npos) {
                const std::string piece = unescaped(std::string_view(inner).substr(star + 1));
                for (int n = std::stoi(inner); n > 0; --n) out += piece;
            } else if ((inner[0] == 'c' || inner[0] == 'p') &&
                       std::sscanf(inner.c_str() + 1, "%d-%d", &first, &last) >= 1) {
                if (last == 0) last = std::exchange(first, 1);
                const std::string separator =
                    bar == std::string::npos ? "\n" : unescaped(std::string_view(inner).substr(bar + 1));
                for (int n = first; n <= last; ++n) out += (n > first ? separator : "") + canonical(inner[0], n).token;
            } else {
                out += "{" + inner + "}";
            }
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// "none", or a number read exactly, inf, -0 and nan included.
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
    for (const Row& row : rowsOf("number_cases.txt")) {
        SCOPED_TRACE(row.where);
        ASSERT_EQ(row.fields.size(), 3u);
        const std::string& syntax = row.fields[0];
        const std::string text = unescaped(row.fields[1]);
        ASSERT_TRUE(syntax == "cell" || syntax == "entry" || syntax == "table") << syntax;
        std::optional<double> got;
        if (syntax == "table") got = readNumber<float>(text, kTableSyntax);
        else got = readNumber<double>(text, syntax == "cell" ? kCellSyntax : kEntrySyntax);
        EXPECT_TRUE(syntax != "cell" || same(cellTextValue(text), got.value_or(0.0))) << "cellTextValue";
        EXPECT_TRUE(same(got, valueOf(row.fields[2], syntax == "table"))) << "read " << testing::PrintToString(got);
        if (!corpus || text.size() > 4096) continue;
        std::uint64_t hash = 14695981039346656037u;  // FNV-1a: one file per distinct text
        for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211u;
        std::ofstream(fs::path(corpus) / ("case_" + std::to_string(hash)), std::ios::binary) << text;
    }
}

TEST(Cases, NumberTexts) {
    for (const Row& row : rowsOf("number_texts.txt")) {
        SCOPED_TRACE(row.where);
        ASSERT_EQ(row.fields.size(), 3u);
        const std::string& function = row.fields[0];
        std::string number;  // and the decimals, for rounding
        int decimals = 0;
        std::istringstream(row.fields[1]) >> number >> decimals;
        const double x = valueOf(number, false).value_or(0), rounded = roundToDecimals(x, decimals);
        if (function == "round" || function == "tosingle") {
            const double value = function == "round" ? rounded : toSingle(x);
            EXPECT_TRUE(same(value, valueOf(row.fields[2], function == "tosingle"))) << testing::PrintToString(value);
            continue;
        }
        const std::string text = function == "signed" ? signedNumberText(x)
                                 : function == "single" ? signedSingleText(std::strtof(number.c_str(), nullptr))
                                 : function == "plain"  ? plainNumberText(x)
                                 : function == "rounded" ? roundedText(x, decimals) : "no function " + function;
        EXPECT_EQ("\"" + text + "\"", row.fields[2]);
    }
}

// A table file: contents, or <missing>, <directory>, <unreadable> (no read permission) or
// <read-error> (opens, then fails to read). False when the case cannot be made here.
bool place(const fs::path& file, const std::string& contents) {
    std::error_code ec;
    if (contents == "<missing>") return true;
    if (contents == "<directory>") return fs::create_directory(file);
    if (contents == "<read-error>") {
        fs::create_symlink("/proc/self/mem", file, ec);
        return !ec && fs::exists(file);
    }
    std::ofstream(file, std::ios::binary) << (contents == "<unreadable>" ? "1" : unescaped(contents));
    if (contents == "<unreadable>") fs::permissions(file, fs::perms::none);
    return contents != "<unreadable>" || !std::ifstream(file).is_open();  // root reads it anyway
}

TEST(Cases, TableFiles) {
    const fs::path base = fs::temp_directory_path() / ("tomokari-cases-" + std::to_string(std::random_device{}()));
    for (const Row& row : rowsOf("table_files.txt")) {
        SCOPED_TRACE(row.where);
        ASSERT_TRUE(row.fields.size() == 3 || row.fields.size() == 4);
        fs::remove_all(base);
        const fs::path dir = base / (row.fields.size() == 4 ? unescaped(row.fields[3]) : "tables");
        fs::create_directories(dir);
        if (!place(dir / kCriticalValueFileName, row.fields[0]) || !place(dir / kPowerSampleFileName, row.fields[1])) {
            std::printf("%s cannot be set up here: skipped\n", row.where.c_str());
            continue;
        }
        const TableLoadResult result = loadReferenceTables(dir);
        std::istringstream expected(row.fields[2]);
        if (std::string word; !(expected >> word) || word != "ok") {
            std::string message = unescaped(row.fields[2]);
            for (const auto& [from, to] : {std::pair<std::string, std::string>{"{dir}", dir}, {"{tmp}", base}})
                for (std::size_t at; (at = message.find(from)) != std::string::npos;) message.replace(at, from.size(), to);
            EXPECT_EQ(result.error ? result.error->message() : "(loaded)", message);
            continue;
        }
        EXPECT_TRUE(result.tables) << result.error->message();
        if (!result.tables) continue;
        std::map<std::string, std::optional<double>> want;  // canonical, unless the row says otherwise
        const auto put = [&want](const Slot& slot) { want[slot.key] = valueOf(slot.token, true); };
        for (int n = 1; n <= kMaxDegreesOfFreedom * kLevelCount; ++n) put(canonical('c', n));
        for (int n = 1; n <= kMaxDegreesOfFreedom * kOmegaStepCount; ++n) put(canonical('p', n));
        for (std::string probe; expected >> probe;) put({probe.substr(0, probe.find('=')), probe.substr(probe.find('=') + 1)});
        for (const auto& [key, value] : want) {
            int df = 0, index = 0;
            EXPECT_EQ(std::sscanf(key.c_str() + 1, "%d,%d", &df, &index), 2) << key;
            const float got = key[0] == 'c' ? result.tables->critical.at(df, index) : result.tables->power.at(df, index);
            EXPECT_TRUE(same(got, value)) << key << " holds " << got;
        }
    }
    fs::remove_all(base);
}

}  // namespace
