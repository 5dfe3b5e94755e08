// The numbers layer's cases, one a row in the files in TOMOKARI_CASES_DIR: how texts read as
// numbers (number_cases.txt, whose texts also seed the cell-text fuzzer), how numbers read as
// texts (number_texts.txt), and which pasted fields lose their digit groups.

#include <cstdlib>
#include <functional>

#include "numbers/number_reader.h"
#include "numbers/number_text.h"
#include "tests/case_rows.h"

namespace tomokari {
namespace {

using namespace cases;
namespace fs = std::filesystem;

TEST(Numbers, NumberReadings) {
    // Given a directory, every text up to libFuzzer's default length seeds the cell fuzzer.
    const char* corpus = std::getenv("TOMOKARI_SEED_CORPUS");
    forEachRow("number_cases.txt", "\t", 3, 3, [&](const std::vector<std::string>& fields) {
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

TEST(Numbers, NumberTexts) {
    forEachRow("number_texts.txt", "\t", 3, 3, [](const std::vector<std::string>& fields) {
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

// A field pasted from a spreadsheet: the text it keeps once its digit groups are gone.
TEST(Numbers, DigitGroups) {
    forEachRow("digit_groups.txt", "\t", 2, 2, [](const std::vector<std::string>& fields) {
        EXPECT_EQ(withoutDigitGroups(unescaped(fields[0])), unescaped(fields[1]));
    });
}

}  // namespace
}  // namespace tomokari
