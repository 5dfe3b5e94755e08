// What students actually type: a catalogue of bad and odd inputs for the size boxes, the
// cells and the table files, each with the answer the program gives.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "golden_support.h"

namespace tomokari::golden {
namespace {

const char* const kZeroExpected = "期待値が０のセルがあるので計算中止";

// No control of any window may show a number the program could not form.
void expectNoBrokenNumbers(const Dump& d) {
    static const QRegularExpression broken(QStringLiteral("nan|inf"), QRegularExpression::CaseInsensitiveOption);
    for (const std::string& text : allTexts(d)) {
        EXPECT_FALSE(QString::fromStdString(text).contains(broken)) << text;
    }
}

// --- Size boxes ---------------------------------------------------------------------------

TEST(CatalogueSizes, OnlyWholeNumbersInRangeAreSizes) {
    struct Case {
        const char* entry;
        bool validRows;
        bool validColumns;
    };
    const Case cases[] = {{"", false, false},    {"0", false, false},  {"5", false, true},  {"-1", false, false},
                          {"2.5", false, false}, {"1e1", false, false}, {"２", true, true}, {" 2", true, true},
                          {"2 ", true, true},    {"abc", false, false}};
    // One run: each entry after a fresh 4 x 5, rows first (columns 3), then columns (rows 1).
    Script script;
    for (const Case& c : cases) script.size("4", "5").size(c.entry, "3").dump();
    for (const Case& c : cases) script.size("4", "5").size("1", c.entry).dump();
    const std::vector<Dump> dumps = play(script);
    ASSERT_EQ(dumps.size(), 2 * std::size(cases));
    for (size_t n = 0; n < std::size(cases); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(c.entry);
        const Dump& rows = dumps[n];
        EXPECT_EQ(rows.text("Form4", "Text12"), c.validRows ? c.entry : "?");
        EXPECT_EQ(rows.text("Form4", "Text13"), c.validRows ? "3" : "?");
        EXPECT_EQ(rows.visible("Form4", mat1(cellIndex(3, 1))), !c.validRows);  // a valid size hides row 3
        EXPECT_EQ(rows.visible("Form4", mat1(cellIndex(1, 4))), !c.validRows);
        const Dump& columns = dumps[std::size(cases) + n];
        EXPECT_EQ(columns.text("Form4", "Text13"), c.validColumns ? c.entry : "?");
        EXPECT_EQ(columns.visible("Form4", mat1(cellIndex(2, 1))), !c.validColumns);
    }
}

TEST(CatalogueSizes, FullWidthSizeBuildsTheTable) {
    const Dump d = finalState(Script().size("２", "２").cells(2, {"30", "10", "10", "30"}).totals().test());
    EXPECT_EQ(lineOf(d.text("Form3", "Text11"), 1), "独立性の検定 df= (2-1)x(2-1)= 1");
}

// --- Cells --------------------------------------------------------------------------------

TEST(CatalogueCells, EveryEntryReadsAsItsLeadingNumber) {
    struct Case {
        const char* entry;
        const char* shown;  // the one-row column box: the cell's single-precision value
    };
    const Case cases[] = {{"", " 0"},       {" ", " 0"},          {"abc", " 0"},           {"-3", "-3"},
                          {"0.1", " .1"},   {"1e2", " 100"},      {"1e-45", " 1.401298E-45"}, {"9999999999", " 1E+10"},
                          {"1,000", " 1"},  {"3 4", " 34"},       {"１２", " 12"},          {"－３", "-3"},
                          {"２．５", " 2.5"}, {"　", " 0"}};
    Script script = Script().size("1", "2").type(mat1(1), "10");
    for (const Case& c : cases) script.type(mat1(0), c.entry).totals().test().dump();
    const std::vector<Dump> dumps = play(script);
    ASSERT_EQ(dumps.size(), std::size(cases));
    for (size_t n = 0; n < dumps.size(); ++n) {
        SCOPED_TRACE(cases[n].entry);
        EXPECT_EQ(dumps[n].text("Form4", jkei(0)), cases[n].shown);
        EXPECT_EQ(dumps[n].text("Form4", mat1(0)), cases[n].entry);  // what was typed stays
        expectNoBrokenNumbers(dumps[n]);
    }
}

TEST(CatalogueCells, ValueBeyondSinglePrecisionIsReportedNotShown) {
    const std::vector<Dump> dumps =
        play(Script().size("2", "2").cells(2, {"1e39", "1", "1", "1"}).totals().dump().test().dump());
    ASSERT_EQ(dumps.size(), 2u);
    for (const Dump& d : dumps) {
        expectNoBrokenNumbers(d);
        EXPECT_NE(d.text("Form3", "Text11").find("計算中止"), std::string::npos);
        EXPECT_EQ(d.text("Form4", ikei(0)), "0");
    }
    EXPECT_FALSE(dumps[1].visible("Form4", "Command8"));
}

TEST(CatalogueCells, HugeEqualCellsTestAsAPerfectFit) {
    Script script = Script().size("4", "5");
    for (int k = 0; k < 20; ++k) script.type(mat1(k), "1e30");
    const Dump d = finalState(script.totals().test().click("Command3").click("Command8"));
    expectNoBrokenNumbers(d);
    EXPECT_EQ(d.text("Form4", "Text10"), " 2.00000003009493E+31");
    EXPECT_EQ(lineOf(d.text("Form3", "Text11"), 2), "●χ2=  0　(有意はでない)");
    EXPECT_EQ(lineOf(d.text("Form3", "Text11"), 3), "★尤度比検定　χ2=  0　(有意はでない)");
    EXPECT_EQ(d.text("Form1", mat1(0)), "\n 0\n 0\n 0");
    EXPECT_EQ(lineOf(d.text("Form4", "Text11"), 2), "　効果量 Effect Size　　ω=  0　　(df= 12)");
}

TEST(CatalogueCells, ZeroMarginsStopTheTestWithItsMessage) {
    const std::vector<std::vector<std::string>> tables = {
        {"0", "0", "0", "0", "0", "0"},  // all zeros
        {"1", "0", "3", "4", "0", "6"},  // one zero column
        {"0", "0", "0", "4", "5", "6"},  // one zero row
    };
    for (const auto& cells : tables) {
        Script script = Script().size("2", "3");
        for (size_t n = 0; n < cells.size(); ++n) script.type(mat1(cellIndex(static_cast<int>(n / 3) + 1, n % 3 + 1)), cells[n]);
        const Dump d = finalState(script.totals().test());
        EXPECT_EQ(d.text("Form3", "Text11"), kZeroExpected) << cells[0] << cells[1] << cells[3];
        EXPECT_FALSE(d.visible("Form4", "Command3"));
        EXPECT_FALSE(d.visible("Form4", "Command8"));
        expectNoBrokenNumbers(d);
    }
}

TEST(CatalogueCells, NegativeTotalsTestButRefuseResidualsAndPower) {
    const Dump d = finalState(Script().tested(2, 2, {"-5", "-5", "-5", "-5"}).click("Command3").click("Command8"));
    expectNoBrokenNumbers(d);
    EXPECT_EQ(d.text("Form4", "Text10"), "-20");
    EXPECT_EQ(lineOf(d.text("Form3", "Text11"), 2), "●χ2=  0　(有意はでない)");
    EXPECT_EQ(lineOf(d.text("Form3", "Text11"), 3), "★尤度比検定　χ2=  0　度数ゼロで計算不可。");
    ASSERT_EQ(d.messages().size(), 2);
    EXPECT_TRUE(d.messages()[0].toObject().value("text").toString().contains(QStringLiteral("行 1 の合計が 0 以下")));
    EXPECT_TRUE(d.messages()[1].toObject().value("text").toString().contains(QStringLiteral("検定力分析はできません")));
    EXPECT_FALSE(d.shown("Form1") && d.text("Form1", mat1(0)).find("***") != std::string::npos);
}

// --- Table files ---------------------------------------------------------------------------

// A copy of the runner in a fresh directory with the given table files.
class TableDirectory {
public:
    TableDirectory() {
        const QString built = QStringLiteral(TOMOKARI_SCRIPT_PATH);
        runner_ = dir_.filePath(QFileInfo(built).fileName());
        EXPECT_TRUE(QFile::copy(built, runner_));
    }
    void write(const QString& name, const QByteArray& contents) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    void copyShipped(const QString& name) {
        ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(TOMOKARI_SCRIPT_PATH)).absolutePath() + "/" + name,
                                dir_.filePath(name)));
    }
    RunResult run(const std::string& script) const { return runRaw(script, runner_); }
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString runner_;
};

QByteArray shipped(const QString& name) {
    QFile file(QFileInfo(QStringLiteral(TOMOKARI_SCRIPT_PATH)).absolutePath() + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(CatalogueTableFiles, BrokenFilesStopStartUpNamingTheFile) {
    const QByteArray chi2 = shipped(QStringLiteral("chi2prob.dat"));
    const QByteArray thirtyFive = chi2.left(chi2.lastIndexOf(','));  // the last number cut off
    const std::vector<std::pair<const char*, QByteArray>> broken = {
        {"empty", QByteArray()}, {"short", thirtyFive}, {"corrupt", QByteArray(chi2).replace("6.634897", "6.6x4897")}};
    for (const auto& [what, contents] : broken) {
        SCOPED_TRACE(what);
        TableDirectory dir;
        dir.write(QStringLiteral("chi2prob.dat"), contents);
        dir.copyShipped(QStringLiteral("power06.dat"));
        const RunResult result = dir.run("dump\n");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.dumps.empty());
        EXPECT_TRUE(result.standardError.contains(QStringLiteral("chi2prob.dat"))) << result.standardError.toStdString();
        EXPECT_EQ(result.standardError.trimmed().count('\n'), 0);
    }
    // A directory where the file should be cannot be read as one.
    TableDirectory dir;
    dir.copyShipped(QStringLiteral("chi2prob.dat"));
    ASSERT_TRUE(QDir().mkdir(dir.path(QStringLiteral("power06.dat"))));
    const RunResult result = dir.run("dump\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.standardError.contains(QStringLiteral("power06.dat")));
}

TEST(CatalogueTableFiles, OtherLayoutsLoadTheSameValues) {
    const QByteArray chi2 = shipped(QStringLiteral("chi2prob.dat"));
    QByteArray crlf = chi2;
    crlf.replace("\n", "\r\n");
    QByteArray oneLineBlanks = chi2;
    oneLineBlanks.replace(",", " ").replace("\n", " ");
    QByteArray mixed = chi2;
    mixed.replace(", ", "\n,\t");
    const std::vector<std::pair<const char*, QByteArray>> layouts = {
        {"CR LF", crlf},
        {"blanks on one line", oneLineBlanks},
        {"mixed separators", mixed},
        {"byte order mark", "\xEF\xBB\xBF" + chi2},
        {"extra numbers and text", chi2 + "\n99, 98, not a number\n"},
    };
    const Script script = Script().tested(2, 2, {"30", "10", "10", "30"});
    const std::string expected = finalState(script).text("Form4", "Text11");
    for (const auto& [what, contents] : layouts) {
        SCOPED_TRACE(what);
        TableDirectory dir;
        dir.write(QStringLiteral("chi2prob.dat"), contents);
        dir.copyShipped(QStringLiteral("power06.dat"));
        const RunResult result = dir.run(Script(script).dump().text());
        ASSERT_EQ(result.exitCode, 0) << result.standardError.toStdString();
        ASSERT_EQ(result.dumps.size(), 1u);
        EXPECT_EQ(result.dumps[0].text("Form4", "Text11"), expected);
    }
}

}  // namespace
}  // namespace tomokari::golden
