// Whole workflows played through tomokari-script against the real windows.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <string>

#include "golden_support.h"

namespace tomokari::golden {
namespace {

const char* const kForm4Title = "トモカリ ポルテノ";
const char* const kForm3Title = "χ2値計算用　各セル毎の期待値とχ2値";
const char* const kForm1Title = "「残差分析」　度数と期待値のズレの検定";
const char* const kPrompt = "※ 左上の画面の「クロス表」の行数と列数を入力してください。";
const char* const kZeroExpected = "期待値が０のセルがあるので計算中止";

const std::string kStartNote =
    "●χ2検定　　 自由度 df　1行m列のとき　df=(m-1)\n"
    "　　　　　　　n行m列のとき　df=(n-1)x(m-1) 　n,mは2以上\n"
    "df=1　χ2＞ 3.8414 ならば５％水準で有意。\n"
    "　　　χ2＞ 6.6348 ならば１％水準で有意。\n"
    "df=2　χ2＞ 5.9914 ならば５％水準で有意。\n"
    "　　　χ2＞ 9.2103 ならば１％水準で有意。\n"
    "df=4　χ2＞ 9.4878 ならば５％水準で有意。\n"
    "　　　χ2＞ 13.2767 ならば１％水準で有意。\n"
    "★対数線形モデルによる尤度比のχ2検定";

// The eight-line significance header, with the critical values as the header shows them.
std::string header(const std::string& df, const std::string& c1, const std::string& c2, const std::string& c3) {
    return "●χ2検定： (df = " + df + " )　　　計算結果のχ2値が　\n" +
           c1 + "　よりも大きいと 5%水準で有意　*\n" +
           c2 + "　よりも大きいと 1%水準で有意　**\n" +
           c3 + "　よりも大きいと 0.1%水準で有意　***\n"
           "\n"
           "有意になると「行と列は独立」という帰無仮説が棄却され、\n"
           "「行の項目と列の項目には何らかの関連がある」と結論づけられる。\n"
           "※その結論が「誤りである確率」が各「有意水準」(α過誤)。";
}
const std::string kHeaderDf1 = header(" 1", " 3.841", " 6.635", " 10.828");
const std::string kHeaderDf2 = header(" 2", " 5.991", " 9.21", " 13.816");

// The typical run: 2 x 2 with 30, 10 / 10, 30.
Script typicalRun() { return Script().tested(2, 2, {"30", "10", "10", "30"}); }

// Checks which grid controls show in all three windows for an r x c table.
void expectGrid(const Dump& d, int rows, int columns) {
    for (const char* window : {"Form4", "Form3", "Form1"}) {
        SCOPED_TRACE(window);
        const bool totals = std::string(window) != "Form1";
        for (int i = 1; i <= 4; ++i) {
            for (int j = 1; j <= 5; ++j) {
                EXPECT_EQ(d.visible(window, mat1(cellIndex(i, j))), i <= rows && j <= columns) << i << "," << j;
            }
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(d.visible(window, gyolab(i)), i < rows) << i;
            EXPECT_EQ(d.visible(window, ikei(i)), totals && i < rows) << i;
        }
        for (int j = 0; j < 5; ++j) {
            EXPECT_EQ(d.visible(window, retlab(j)), j < columns) << j;
            EXPECT_EQ(d.visible(window, jkei(j)), totals && j < columns) << j;
        }
    }
    EXPECT_FALSE(d.visible("Form1", "Text10"));
}

// --- The typical run ---------------------------------------------------------------

TEST(TypicalRun, TwoByTwoFillsAllThreeWindows) {
    const std::vector<Dump> dumps = play(typicalRun().dump().ok().dump().totals().dump());
    ASSERT_EQ(dumps.size(), 3u);
    const Dump& d = dumps[0];

    EXPECT_EQ(d.text("Form4", "Ikei(0)"), " 40");
    EXPECT_EQ(d.text("Form4", "Ikei(1)"), " 40");
    EXPECT_EQ(d.text("Form4", "Jkei(0)"), "40");
    EXPECT_EQ(d.text("Form4", "Jkei(1)"), "40");
    EXPECT_EQ(d.text("Form4", "Text10"), " 80");
    EXPECT_EQ(d.text("Form4", "Text11"), kHeaderDf1);

    for (int k : {0, 1, 5, 6}) EXPECT_EQ(d.text("Form3", mat1(k)), " 20\n 5") << k;
    for (int i : {0, 1}) {
        EXPECT_EQ(d.text("Form3", ikei(i)), " 40\n 10");
        EXPECT_EQ(d.text("Form3", jkei(i)), " 40\n 10");
    }
    EXPECT_EQ(d.text("Form3", "Text10"), " 80\n 20");
    EXPECT_EQ(d.text("Form3", "Text11"),
              "独立性の検定 df= (2-1)x(2-1)= 1\n"
              "●χ2=  20***　(0.1%で有意)\n"
              "★尤度比検定　χ2=  20.93*** (0.1%で有意)");

    EXPECT_TRUE(d.shown("Form1"));
    EXPECT_EQ(d.text("Form1", "mat1(0)"), "\n 10");
    EXPECT_EQ(d.text("Form1", "mat1(1)"), "\n-10");
    EXPECT_EQ(d.text("Form1", "mat1(5)"), "\n-10");
    EXPECT_EQ(d.text("Form1", "mat1(6)"), "\n 10");

    EXPECT_TRUE(d.visible("Form4", "Command3"));
    EXPECT_EQ(d.text("Form4", "Command3"), "残差\n分析(4)");
    EXPECT_TRUE(d.visible("Form4", "Command8"));
    EXPECT_EQ(d.text("Form4", "Command8"), "検定力\n分析");

    // The header has replaced the start-up note as the text that OK and totals bring back.
    EXPECT_EQ(dumps[1].text("Form4", "Text11"), kHeaderDf1);
    EXPECT_EQ(dumps[2].text("Form4", "Text11"), kHeaderDf1);
}

// --- Start-up ------------------------------------------------------------------------

TEST(StartUp, ShowsTheExampleGridAndTheNote) {
    const Dump d = finalState(Script());
    EXPECT_FALSE(d.exited());
    EXPECT_TRUE(d.shown("Form4"));
    EXPECT_TRUE(d.shown("Form3"));
    EXPECT_FALSE(d.shown("Form1"));
    EXPECT_EQ(d.title("Form4"), kForm4Title);
    EXPECT_EQ(d.title("Form3"), kForm3Title);

    EXPECT_EQ(d.text("Form4", "Text12"), "4");
    EXPECT_EQ(d.text("Form4", "Text13"), "5");
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 5; ++j) {
            EXPECT_EQ(d.text("Form4", mat1(cellIndex(i, j))), std::to_string(10 * i + j));
            EXPECT_TRUE(d.visible("Form4", mat1(cellIndex(i, j))));
        }
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.text("Form4", ikei(i)), "0");
        EXPECT_EQ(d.text("Form4", gyolab(i)), "行 " + std::to_string(i + 1));
        EXPECT_TRUE(d.visible("Form4", ikei(i)));
    }
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(d.text("Form4", jkei(j)), "0");
        EXPECT_EQ(d.text("Form4", retlab(j)), "列 " + std::to_string(j + 1));
        EXPECT_TRUE(d.visible("Form4", jkei(j)));
    }
    EXPECT_EQ(d.text("Form4", "Text10"), "総計");
    EXPECT_EQ(d.text("Form4", "Text11"), kStartNote);
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_FALSE(d.visible("Form4", "Command8"));
    EXPECT_EQ(d.text("Form3", "Text11"), kPrompt);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(d.text("Form3", mat1(k)), "0") << k;
}

TEST(StartUp, EveryCaptionAndMenuItem) {
    const Dump d = finalState(Script());
    const std::pair<const char*, const char*> captions[] = {
        {"Command1", "ＯＫ(1)"}, {"Command2", "クリア"}, {"Command3", "残差\n分析(4)"},
        {"Command4", "データ\nクリア"}, {"Command5", "χ2\n実行(3)"}, {"Command6", "終　了"},
        {"Command7", "合計\nする(2)"}, {"Command8", "検定力\n分析"}, {"Label10", "1～4行"},
        {"Label11", "2～5列"}, {"Label12", "クロス表"}, {"Frame1", "解　説"},
        {"owari", "終了"}, {"setsumei", "説明"}, {"tsukaikata", "・使い方"},
        {"setsumei_hyouji", "・解　説"}, {"setsumei_modoru", "元に戻る"}, {"hosoku", "χ2検定の補足"},
        {"tekigoudo", "・適合度の検定"}, {"dokuritsusei", "･独立性の検定"}, {"zansabunseki", "･残差分析"},
        {"Yates", "・イェーツの補正"}, {"Fisher", "・フィッシャーの直接法"}, {"setsumei_modoru2", "元に戻る"},
        {"kentei", "検定力について"}, {"kenteiryoku", "・検定力分析"}, {"modoruken", "元に戻る"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(d.text("Form4", name), caption) << name;
        if (QString(name).startsWith("Command") || QString(name).startsWith("Label")) continue;
        EXPECT_TRUE(d.visible("Form4", name)) << name;
    }
}

// --- Size entry ----------------------------------------------------------------------

TEST(SizeEntry, ShowsExactlyTheGridOfTheSizeInAllWindows) {
    const std::vector<Dump> dumps =
        play(Script().size("4", "5").dump().size("1", "2").dump().size("3", "2").dump());
    ASSERT_EQ(dumps.size(), 3u);
    const int shapes[][2] = {{4, 5}, {1, 2}, {3, 2}};
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(std::to_string(shapes[n][0]) + "x" + std::to_string(shapes[n][1]));
        expectGrid(dumps[n], shapes[n][0], shapes[n][1]);
        EXPECT_FALSE(dumps[n].shown("Form1"));
        EXPECT_EQ(dumps[n].title("Form1"), kForm1Title);
        EXPECT_EQ(dumps[n].text("Form4", "Text11"), kStartNote);
    }
}

TEST(SizeEntry, InvalidSizeMarksBothBoxesAndKeepsTheGrid) {
    const std::pair<std::string, std::string> invalid[] = {
        {"0", "3"}, {"5", "3"}, {"2", "1"}, {"2", "6"}, {"", "3"}, {"2", ""}, {"2.5", "3"}, {"abc", "3"}};
    Script script;
    script.size("2", "3");
    for (const auto& [rows, columns] : invalid) script.size(rows, columns).dump();
    const std::vector<Dump> dumps = play(script);
    ASSERT_EQ(dumps.size(), std::size(invalid));
    for (size_t n = 0; n < dumps.size(); ++n) {
        SCOPED_TRACE("rows '" + invalid[n].first + "' columns '" + invalid[n].second + "'");
        EXPECT_EQ(dumps[n].text("Form4", "Text12"), "?");
        EXPECT_EQ(dumps[n].text("Form4", "Text13"), "?");
        expectGrid(dumps[n], 2, 3);
    }
}

TEST(SizeEntry, ClearEmptiesBothBoxesAndOkThenRejects) {
    const std::vector<Dump> dumps = play(Script().size("2", "2").click("Command2").dump().ok().dump());
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[0].text("Form4", "Text12"), "");
    EXPECT_EQ(dumps[0].text("Form4", "Text13"), "");
    expectGrid(dumps[0], 2, 2);
    EXPECT_EQ(dumps[1].text("Form4", "Text12"), "?");
    EXPECT_EQ(dumps[1].text("Form4", "Text13"), "?");
    expectGrid(dumps[1], 2, 2);
}

TEST(SizeEntry, HiddenCellsKeepWhatWasTyped) {
    Script script;
    script.size("4", "5");
    for (int k = 0; k < 20; ++k) script.type(mat1(k), std::to_string(100 + k));
    const Dump d = finalState(script.size("2", "2").size("4", "5"));
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(d.text("Form4", mat1(k)), std::to_string(100 + k)) << k;
        EXPECT_TRUE(d.visible("Form4", mat1(k))) << k;
    }
}

TEST(SizeEntry, OkAfterTestHidesResidualsButKeepsPowerButton) {
    const Dump d = finalState(typicalRun().ok());
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_TRUE(d.visible("Form4", "Command8"));
    EXPECT_FALSE(d.shown("Form1"));
}

// --- Totals --------------------------------------------------------------------------

TEST(Totals, TwoRowTablesWriteMarginsAndExpectedValues) {
    const std::vector<Dump> dumps = play(Script()
                                             .size("2", "2").cells(2, {"10", "20", "30", "40"}).totals().dump()
                                             .size("2", "4").cells(4, {"10", "20", "30", "40", "40", "30", "20", "10"})
                                             .totals().dump()
                                             .size("2", "3").cells(3, {"1", "1", "1", "1", "1", "2"}).totals().dump());
    ASSERT_EQ(dumps.size(), 3u);

    const Dump& a = dumps[0];  // 2 x 2: plain column totals
    EXPECT_EQ(a.text("Form4", "Ikei(0)"), " 30");
    EXPECT_EQ(a.text("Form4", "Ikei(1)"), " 70");
    EXPECT_EQ(a.text("Form4", "Jkei(0)"), "40");
    EXPECT_EQ(a.text("Form4", "Jkei(1)"), "60");
    EXPECT_EQ(a.text("Form4", "Text10"), " 100");
    EXPECT_EQ(a.text("Form3", "mat1(0)"), " 12");
    EXPECT_EQ(a.text("Form3", "mat1(1)"), " 18");
    EXPECT_EQ(a.text("Form3", "mat1(5)"), " 28");
    EXPECT_EQ(a.text("Form3", "mat1(6)"), " 42");
    EXPECT_EQ(a.text("Form3", "Jkei(0)"), " 40");
    EXPECT_EQ(a.text("Form3", "Text10"), " 100");
    EXPECT_EQ(a.text("Form3", "Text11"), "「独立性の検定」　期待値を表示　●自由度df (2-1)x(2-1) = 1");
    EXPECT_TRUE(a.shown("Form3"));

    const Dump& b = dumps[1];  // 2 x 4: signed column totals
    for (int j = 0; j < 4; ++j) EXPECT_EQ(b.text("Form4", jkei(j)), " 50") << j;
    EXPECT_EQ(b.text("Form4", "Ikei(0)"), " 100");
    EXPECT_EQ(b.text("Form4", "Ikei(1)"), " 100");
    EXPECT_EQ(b.text("Form4", "Text10"), " 200");
    EXPECT_EQ(b.text("Form3", "Text11"), "行と列の「独立性の検定」のための「周辺度数からの期待値」");

    const Dump& c = dumps[2];  // 2 x 3: rounded expected values
    const char* cells[] = {" .857", " .857", " 1.286", " 1.143", " 1.143", " 1.714"};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(c.text("Form3", mat1(cellIndex(n / 3 + 1, n % 3 + 1))), cells[n]) << n;
    EXPECT_EQ(c.text("Form3", "Ikei(0)"), " 3");
    EXPECT_EQ(c.text("Form3", "Ikei(1)"), " 4");
    EXPECT_EQ(c.text("Form3", "Jkei(0)"), " 2");
    EXPECT_EQ(c.text("Form3", "Jkei(1)"), " 2");
    EXPECT_EQ(c.text("Form3", "Jkei(2)"), " 3");
    EXPECT_EQ(c.text("Form3", "Text10"), " 7");
    EXPECT_EQ(c.text("Form4", "Jkei(2)"), "3");
    EXPECT_EQ(c.text("Form3", "Text11"), "「独立性の検定」　期待値を表示　●自由度df (2-1)x(3-1) = 2");
}

TEST(Totals, OneRowTablesShowCellsInColumnBoxesAndEqualShares) {
    const std::vector<Dump> dumps = play(Script()
                                             .size("1", "3").cells(3, {"1", "2", "4"}).totals().dump()
                                             .size("1", "4").cells(4, {"1", "2", "4", "0"}).totals().dump()
                                             .size("1", "2").cells(2, {"0.1", "0.2"}).totals().dump());
    ASSERT_EQ(dumps.size(), 3u);

    const Dump& a = dumps[0];  // 1 x 3: unrounded shares
    EXPECT_EQ(a.text("Form4", "Ikei(0)"), " 7");
    EXPECT_EQ(a.text("Form4", "Jkei(0)"), " 1");
    EXPECT_EQ(a.text("Form4", "Jkei(1)"), " 2");
    EXPECT_EQ(a.text("Form4", "Jkei(2)"), " 4");
    EXPECT_EQ(a.text("Form4", "Text10"), " 7");
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(a.text("Form3", mat1(j)), " 2.33333333333333") << j;
        EXPECT_EQ(a.text("Form3", jkei(j)), " 2.33333333333333") << j;
    }
    EXPECT_EQ(a.text("Form3", "Ikei(0)"), " 7");
    EXPECT_EQ(a.text("Form3", "Text10"), " 7");
    EXPECT_EQ(a.text("Form3", "Text11"), "「適合度検定」　期待値を表示　●自由度df (3-1)= 2");

    const Dump& b = dumps[1];  // 1 x 4 with a zero cell
    EXPECT_EQ(b.text("Form4", "Jkei(3)"), " 0");
    EXPECT_EQ(b.text("Form4", "Text10"), " 7");
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(b.text("Form3", mat1(j)), " 1.75") << j;
        EXPECT_EQ(b.text("Form3", jkei(j)), " 1.75") << j;
    }
    EXPECT_EQ(b.text("Form3", "Text11"), "「適合度検定」のための期待値（等分を想定）");

    const Dump& c = dumps[2];  // single-precision cells, double totals
    EXPECT_EQ(c.text("Form4", "Jkei(0)"), " .1");
    EXPECT_EQ(c.text("Form4", "Jkei(1)"), " .2");
    EXPECT_EQ(c.text("Form4", "Ikei(0)"), " .300000004470348");
    EXPECT_EQ(c.text("Form4", "Text10"), " .300000004470348");
    EXPECT_EQ(c.text("Form3", "mat1(0)"), " .150000002235174");
    EXPECT_EQ(c.text("Form3", "Text11"), "「適合度検定」　期待値を表示　●自由度df (2-1)= 1");
}

TEST(Totals, FourByFiveWritesEveryCell) {
    const Dump d = finalState(Script().size("4", "5").totals());
    EXPECT_EQ(d.text("Form3", "Text11"), "行と列の「独立性の検定」のための「周辺度数からの期待値」");
    EXPECT_EQ(d.text("Form3", "mat1(0)"), " 12.071");
    EXPECT_EQ(d.text("Form3", "mat1(12)"), " 33");
    EXPECT_EQ(d.text("Form3", "mat1(19)"), " 46.071");
    for (int k = 0; k < 20; ++k) EXPECT_NE(d.text("Form3", mat1(k)), "0") << k;
    EXPECT_EQ(d.text("Form4", "Text10"), " 560");
    EXPECT_EQ(d.text("Form4", "Jkei(4)"), " 120");
}

TEST(Totals, CellTextsReadAsTheirLeadingNumber) {
    const std::vector<Dump> dumps = play(Script()
                                             .size("1", "5").cells(5, {"", "abc", " 3 4", "-2", "2.5"}).totals().dump()
                                             .size("1", "3").cells(3, {"1e2", "12abc", "\\t7\\n"}).totals().dump());
    ASSERT_EQ(dumps.size(), 2u);
    const char* first[] = {" 0", " 0", " 34", "-2", " 2.5"};
    for (int j = 0; j < 5; ++j) EXPECT_EQ(dumps[0].text("Form4", jkei(j)), first[j]) << j;
    EXPECT_EQ(dumps[0].text("Form4", "Text10"), " 34.5");
    const char* second[] = {" 100", " 12", " 7"};
    for (int j = 0; j < 3; ++j) EXPECT_EQ(dumps[1].text("Form4", jkei(j)), second[j]) << j;
}

TEST(Totals, RepeatingGivesTheSameTextsAndHiddenCellsAreNotRead) {
    // The example cells 13..45 stay in the hidden boxes of the 2 x 2 table.
    const std::vector<Dump> dumps = play(Script().size("2", "2").totals().dump().totals().dump());
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[0].text("Form4", "Ikei(0)"), " 23");
    EXPECT_EQ(dumps[0].text("Form4", "Ikei(1)"), " 43");
    EXPECT_EQ(dumps[0].text("Form4", "Text10"), " 66");
    EXPECT_EQ(differences(dumps[0], dumps[1], {"Form4", "Form3"}), "");
}

TEST(Totals, WithoutAValidSizeOnlyZeroesTheMargins) {
    // Before any OK: nothing is computed, the expected-values window just comes back.
    const Dump d = finalState(Script().close("Form3").totals());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.text("Form4", ikei(i)), "0");
    for (int j = 0; j < 5; ++j) EXPECT_EQ(d.text("Form4", jkei(j)), "0");
    EXPECT_EQ(d.text("Form4", "Text10"), "総計");
    EXPECT_EQ(d.text("Form4", "Text11"), kStartNote);
    EXPECT_TRUE(d.shown("Form3"));
    for (int k = 0; k < 20; ++k) EXPECT_EQ(d.text("Form3", mat1(k)), "0") << k;

    // After an invalid OK the old totals go, the grand total and the old window stay.
    const std::vector<Dump> after = play(typicalRun().size("5", "2").dump().totals().dump());
    ASSERT_EQ(after.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(after[1].text("Form4", ikei(i)), "0");
        EXPECT_EQ(after[1].text("Form4", jkei(i)), "0");
    }
    EXPECT_EQ(after[1].text("Form4", "Text10"), " 80");
    EXPECT_EQ(differences(after[0], after[1], {"Form3"}), "");
}

// --- Test step -----------------------------------------------------------------------

TEST(TestStep, OneByTwoGoodnessOfFit) {
    const Dump d = finalState(Script().tested(1, 2, {"30", "10"}));
    EXPECT_EQ(d.text("Form3", "Text11"),
              "適合度の検定 df= (2-1)= 1\n"
              "●χ2=  10**　(1%で有意)\n"
              "★尤度比検定　χ2=  10.465**　(1%で有意)");
    EXPECT_EQ(d.text("Form3", "mat1(0)"), " 20\n 5");
    EXPECT_EQ(d.text("Form3", "Ikei(0)"), " 40\n 10");
    EXPECT_EQ(d.text("Form3", "Jkei(0)"), " 20");
    EXPECT_EQ(d.text("Form3", "Text10"), " 40");
    EXPECT_EQ(d.text("Form4", "Text11"), kHeaderDf1);
    // One row: the residuals window shows that row's raw residuals, no residual button.
    EXPECT_TRUE(d.shown("Form1"));
    EXPECT_EQ(d.text("Form1", "mat1(0)"), "\n 10");
    EXPECT_EQ(d.text("Form1", "mat1(1)"), "\n-10");
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_TRUE(d.visible("Form4", "Command8"));
}

TEST(TestStep, ZeroExpectedValueStopsWithAMessage) {
    const std::vector<Dump> dumps =
        play(Script().size("2", "3").cells(3, {"1", "0", "3", "2", "0", "4"}).totals().dump().test().dump());
    ASSERT_EQ(dumps.size(), 2u);
    const Dump& d = dumps[1];
    EXPECT_EQ(d.text("Form3", "Text11"), kZeroExpected);
    EXPECT_EQ(d.text("Form4", "Text11"), kHeaderDf2);
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_FALSE(d.visible("Form4", "Command8"));
    EXPECT_FALSE(d.shown("Form1"));
    // Only the message line of the expected-values window changed.
    const std::string changed = differences(dumps[0], d, {"Form3"});
    EXPECT_EQ(changed.rfind("Form3.Text11: ", 0), 0u) << changed;
    EXPECT_EQ(std::count(changed.begin(), changed.end(), '\n'), 1) << changed;
}

TEST(TestStep, ZeroObservedCellOnlyStopsTheLikelihoodRatio) {
    const Dump d = finalState(Script().tested(2, 2, {"10", "0", "5", "5"}));
    EXPECT_EQ(d.text("Form3", "Text11"),
              "独立性の検定 df= (2-1)x(2-1)= 1\n"
              "●χ2=  6.667**　(1%で有意)\n"
              "★尤度比検定　χ2=  0　度数ゼロで計算不可。");
}

TEST(TestStep, OneByFiveLeavesColumnBoxesAndHidesResidualButton) {
    const std::vector<Dump> dumps =
        play(Script().size("1", "5").cells(5, {"10", "20", "30", "40", "50"}).totals().dump().test().dump().test().dump());
    ASSERT_EQ(dumps.size(), 3u);
    EXPECT_EQ(differences(dumps[1], dumps[2]), "") << "a second test step must rewrite the same texts";
    const Dump& d = dumps[1];
    EXPECT_EQ(d.text("Form3", "Text11"),
              "χ2値に基づく適合度検定　(df=  4 )\n"
              "●χ2=  33.333***　(0.1%で有意)\n"
              "★尤度比検定　χ2=  35.906*** (0.1%で有意)");
    EXPECT_EQ(d.text("Form3", "Ikei(0)"), " 150\n 33.333");
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(d.text("Form3", jkei(j)), " 30") << j;
        EXPECT_EQ(d.text("Form3", jkei(j)), dumps[0].text("Form3", jkei(j))) << j;
    }
    EXPECT_EQ(d.text("Form3", "Text10"), dumps[0].text("Form3", "Text10"));
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_TRUE(d.visible("Form4", "Command8"));
    EXPECT_EQ(d.text("Form4", "Command8"), "検定力\n分析");
    EXPECT_EQ(lineOf(d.text("Form4", "Text11"), 1), "●χ2検定： (df =  4 )　　　計算結果のχ2値が　");
}

TEST(TestStep, FourByFiveUsesTheLastCriticalRow) {
    const Dump d = finalState(Script().size("4", "5").totals().test());
    EXPECT_EQ(d.text("Form4", "Text11"), header(" 12", " 21.026", " 26.217", " 32.909"));
    EXPECT_EQ(d.text("Form3", "Text11"),
              "χ2値に基づく独立性の検定　(df=  12 )\n"
              "●χ2=  .312　(有意はでない)\n"
              "★尤度比検定　χ2=  .313　(有意はでない)");
    EXPECT_EQ(d.text("Form3", "Text10"), " 560\n .312");
    EXPECT_EQ(d.text("Form3", "Ikei(3)"), " 215\n .067");
    EXPECT_TRUE(d.visible("Form4", "Command3"));
    EXPECT_EQ(d.text("Form4", "Command3"), "残差\n分析");
    EXPECT_EQ(d.text("Form4", "Command8"), "検定力\n分析");
}

// --- Guards --------------------------------------------------------------------------

// The test step must leave a dump taken just before it unchanged.
void expectTestChangesNothing(Script script) {
    const std::vector<Dump> dumps = play(script.dump().test().dump());
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(differences(dumps[0], dumps[1]), "") << script.text();
}

TEST(Guards, TestStepWaitsForSizeAndTotals) {
    {
        SCOPED_TRACE("before OK");
        expectTestChangesNothing(Script());
    }
    {
        SCOPED_TRACE("after OK, before totals");
        expectTestChangesNothing(Script().size("2", "2"));
    }
    {
        SCOPED_TRACE("after a new OK");
        expectTestChangesNothing(typicalRun().size("2", "2"));
    }
}

TEST(Guards, NoValidSizeEverConfirmed) {
    const Dump d = finalState(Script().size("0", "2").totals().test());
    EXPECT_EQ(d.text("Form4", "Text11"), kStartNote);
    EXPECT_EQ(d.text("Form3", "Text11"), kPrompt);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(d.text("Form3", mat1(k)), "0") << k;
    EXPECT_FALSE(d.visible("Form4", "Command3"));
    EXPECT_FALSE(d.visible("Form4", "Command8"));
    EXPECT_FALSE(d.shown("Form1"));
}

TEST(Guards, InvalidSizeAfterAValidOneLeavesZeros) {
    // The totals step cleared the table without reading it; the test still runs on the old size.
    const Dump d = finalState(Script().size("2", "2").size("2", "9").totals().test());
    EXPECT_EQ(d.text("Form3", "Text11"), kZeroExpected);
    EXPECT_EQ(d.text("Form4", "Text11"), kHeaderDf1);
    EXPECT_FALSE(d.visible("Form4", "Command3"));
}

// --- Values that cannot be computed ----------------------------------------------------

bool isMessage(const std::string& text) {
    const QString value = QString::fromStdString(text);
    return !value.isEmpty() && value.contains(QRegularExpression("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]")) &&
           !value.contains(QStringLiteral("●χ2="));
}

void expectNoNanOrInf(const Dump& d) {
    const QRegularExpression bad("nan|inf", QRegularExpression::CaseInsensitiveOption);
    for (const std::string& text : allTexts(d)) EXPECT_FALSE(QString::fromStdString(text).contains(bad)) << text;
}

TEST(Overflow, CellBeyondSinglePrecisionGivesAMessage) {
    const std::vector<Dump> dumps =
        play(Script().size("2", "2").cells(2, {"1e39", "1", "1", "1"}).totals().dump().test().dump());
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_TRUE(isMessage(dumps[0].text("Form3", "Text11"))) << dumps[0].text("Form3", "Text11");
    EXPECT_NE(dumps[0].text("Form3", "Text11"), "「独立性の検定」　期待値を表示　●自由度df (2-1)x(2-1) = 1");
    EXPECT_TRUE(isMessage(dumps[1].text("Form3", "Text11"))) << dumps[1].text("Form3", "Text11");
    for (const Dump& d : dumps) expectNoNanOrInf(d);
}

// --- Closing windows -----------------------------------------------------------------

TEST(Windows, ClosedSecondaryWindowsComeBackFilled) {
    const std::vector<Dump> dumps = play(typicalRun().close("Form3").close("Form1").dump().totals().dump().test().dump());
    ASSERT_EQ(dumps.size(), 3u);
    EXPECT_FALSE(dumps[0].shown("Form3"));
    EXPECT_FALSE(dumps[0].shown("Form1"));
    EXPECT_TRUE(dumps[1].shown("Form3"));
    EXPECT_EQ(dumps[1].text("Form3", "mat1(0)"), " 20");
    EXPECT_EQ(dumps[1].text("Form3", "Text10"), " 80");
    EXPECT_TRUE(dumps[2].shown("Form1"));
    EXPECT_EQ(dumps[2].text("Form1", "mat1(0)"), "\n 10");
    EXPECT_EQ(dumps[2].text("Form3", "mat1(0)"), " 20\n 5");
}

TEST(Windows, ClosingTheMainWindowEndsTheProgram) {
    // A confirmation may be asked on the way out; it is answered in advance. Lines after
    // the end still run against the ended program.
    const std::vector<Dump> dumps = play(typicalRun().line("answer yes").close("Form4").dump().totals().dump());
    ASSERT_EQ(dumps.size(), 2u);
    for (const Dump& d : dumps) {
        EXPECT_TRUE(d.exited());
        for (const char* window : {"Form4", "Form3", "Form1"}) EXPECT_FALSE(d.shown(window)) << window;
    }
}

// --- Runner contract -----------------------------------------------------------------

// Expects exit status 2 with one line on standard error naming line 4 and nothing run after it.
void expectScriptError(const std::string& badLine) {
    SCOPED_TRACE(badLine);
    const RunResult result = runRaw("dump\n# comment\n\n" + badLine + "\ndump\n");
    EXPECT_EQ(result.exitCode, 2);
    const QStringList lines = result.standardError.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << result.standardError.toStdString();
    EXPECT_TRUE(lines[0].contains(QRegularExpression("\\b4\\b"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QString::fromStdString(badLine))) << lines[0].toStdString();
    EXPECT_EQ(result.dumps.size(), 1u);
}

TEST(RunnerContract, ScriptErrorsStopWithStatusTwo) {
    expectScriptError("jump Command1");
    expectScriptError("type mat1(20) 5");
    expectScriptError("click Command9");
    expectScriptError("click Command3");  // hidden at start
    expectScriptError("click Command6");  // asks before ending, with no answer queued
    expectScriptError("close Form2");
}

TEST(RunnerContract, MissingTableFileStopsStartUpWithStatusOne) {
    const QString built = QStringLiteral(TOMOKARI_SCRIPT_PATH);
    const QString builtDir = QFileInfo(built).absolutePath();
    for (const QString& present : {QStringLiteral("chi2prob.dat"), QStringLiteral("power06.dat")}) {
        const QString missing = present == "chi2prob.dat" ? "power06.dat" : "chi2prob.dat";
        SCOPED_TRACE(missing.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString copy = dir.filePath(QFileInfo(built).fileName());
        ASSERT_TRUE(QFile::copy(built, copy));
        ASSERT_TRUE(QFile::copy(builtDir + "/" + present, dir.filePath(present)));
        const RunResult result = runRaw("dump\n", copy);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.dumps.empty());
        const QStringList lines = result.standardError.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 1) << result.standardError.toStdString();
        EXPECT_TRUE(lines[0].contains(missing)) << lines[0].toStdString();
    }
}

}  // namespace
}  // namespace tomokari::golden
