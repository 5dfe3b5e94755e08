// The table files' cases, one a row in table_files.txt in TOMOKARI_CASES_DIR: what loads, what
// each slot holds, and the message that names what is wrong, from the directory and from the
// files' contents alike.

#include <map>
#include <random>

#include "tests/case_rows.h"

namespace tomokari {
namespace {

using namespace cases;
namespace fs = std::filesystem;

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
    forEachRow("table_files.txt", "\t", 3, 4, [&](const std::vector<std::string>& fields) {
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
