// Explanation screens, data clear, exit, and the residual and power steps, played through
// tomokari-script.

#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>

#include <map>
#include <string>

#include "golden_support.h"

namespace tomokari::golden {
namespace {

const char* const kTitle = "トモカリ ポルテノ";
const char* const kExitQuestion = "終了しますか？";
const char* const kClearQuestion = "マス目の度数データをクリアしますか？";

// The screens of the fixture file, by menu item, lines joined by LF.
std::map<std::string, std::string> expectedScreens() {
    QFile file(QStringLiteral(TOMOKARI_SCREENS_FILE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::map<std::string, std::string> screens;
    std::string* current = nullptr;
    bool first = true;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const std::string line = raw.toStdString();
        if (line.starts_with("#")) continue;
        if (line.starts_with("== ")) {
            current = &screens[line.substr(3)];
            first = true;
            continue;
        }
        if (!current) continue;
        if (!first) *current += "\n";
        *current += line;
        first = false;
    }
    for (auto& [name, text] : screens) {
        while (text.ends_with("\n")) text.pop_back();  // the file ends with a line break
    }
    return screens;
}

std::string explanation(const Dump& d) { return d.text("Form4", "Text11"); }

std::string startNote() { return finalState(Script()).text("Form4", "Text11"); }

// --- Explanation screens -----------------------------------------------------------

TEST(Screens, EveryMenuItemShowsItsTextExactly) {
    const auto screens = expectedScreens();
    ASSERT_EQ(screens.size(), 8u);
    Script script;
    for (const auto& [name, text] : screens) script.line("menu " + name).dump();
    const std::vector<Dump> dumps = play(script);
    ASSERT_EQ(dumps.size(), screens.size());
    size_t n = 0;
    for (const auto& [name, text] : screens) EXPECT_EQ(explanation(dumps[n++]), text) << name;
}

TEST(Screens, ReturnsBringBackWhatTheSavingScreensSaved) {
    const std::string note = startNote();
    const auto screens = expectedScreens();
    // Right after start-up: the note comes back.
    EXPECT_EQ(explanation(finalState(Script().line("menu tsukaikata").line("menu setsumei_modoru"))), note);
    // The second help screen does not overwrite what the first saved.
    const Script residuals = Script().tested(2, 2, {"30", "10", "10", "30"}).click("Command3");
    const std::string residualText = explanation(finalState(residuals));
    EXPECT_EQ(explanation(finalState(Script(residuals).line("menu tsukaikata").line("menu setsumei_hyouji")
                                         .line("menu setsumei_modoru"))),
              residualText);
    // A screen that neither saves nor marks: the usage screen then saves its text.
    EXPECT_EQ(explanation(finalState(Script().line("menu tekigoudo").line("menu tsukaikata").line("menu modoruken"))),
              screens.at("tekigoudo"));
    // A screen that marks without saving: the usage screen no longer saves.
    EXPECT_EQ(explanation(finalState(Script().line("menu dokuritsusei").line("menu tsukaikata")
                                         .line("menu setsumei_modoru2"))),
              note);
}

TEST(Screens, ReturnWithoutAScreenWritesTheSavedText) {
    const Script residuals = Script().tested(2, 2, {"30", "10", "10", "30"}).click("Command3");
    const std::string header = explanation(finalState(Script().tested(2, 2, {"30", "10", "10", "30"})));
    for (const char* item : {"setsumei_modoru", "setsumei_modoru2", "modoruken"}) {
        EXPECT_EQ(explanation(finalState(Script(residuals).line(std::string("menu ") + item))), header) << item;
    }
}

TEST(Screens, ChangeNothingButTheExplanationArea) {
    const Script totals = Script().size("2", "2").cells(2, {"30", "10", "10", "30"}).totals();
    const std::vector<Dump> dumps = play(Script(totals).dump().line("menu kenteiryoku").line("menu Fisher").dump().test().dump());
    ASSERT_EQ(dumps.size(), 3u);
    EXPECT_EQ(differences(dumps[0], dumps[1], {"Form3", "Form1"}), "");
    const QJsonObject before = dumps[0].controls("Form4");
    const QJsonObject after = dumps[1].controls("Form4");
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (it.key() == QLatin1String("Text11")) continue;
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    }
    // The flags survived: the test step still runs.
    EXPECT_TRUE(dumps[2].visible("Form4", "Command8"));
}

// --- Data clear and exit --------------------------------------------------------------

TEST(DataClear, NoChangesNothing) {
    const std::vector<Dump> dumps = play(Script().dump().line("answer no").click("Command4").dump());
    ASSERT_EQ(dumps.size(), 2u);
    const QJsonArray questions = dumps[1].questions();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0].toObject().value("caption").toString(), QString());
    EXPECT_EQ(questions[0].toObject().value("text").toString().toStdString(), kClearQuestion);
    EXPECT_EQ(questions[0].toObject().value("answer").toString(), QStringLiteral("no"));
    EXPECT_EQ(differences(dumps[0], dumps[1]), "a question was asked\n");
}

TEST(DataClear, YesEmptiesEveryCellHiddenOnesIncluded) {
    const Script cleared = Script().tested(2, 2, {"30", "10", "10", "30"}).line("answer yes").click("Command4");
    const Dump small = finalState(cleared);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(small.text("Form4", mat1(k)), "") << k;
    // The totals and the other windows keep what they showed until the next totals step.
    EXPECT_EQ(small.text("Form4", ikei(0)), " 40");
    EXPECT_EQ(small.text("Form3", mat1(0)), " 20\n 5");
    const Dump large = finalState(Script(cleared).size("4", "5"));
    for (int k = 0; k < 20; ++k) {
        EXPECT_TRUE(large.visible("Form4", mat1(k))) << k;
        EXPECT_EQ(large.text("Form4", mat1(k)), "") << k;
    }
}

TEST(Exit, EveryPathAsksAndYesEndsTheProgram) {
    for (const std::string action : {"click Command6", "menu owari", "close Form4"}) {
        const Dump d = finalState(Script().line("answer yes").line(action));
        EXPECT_TRUE(d.exited()) << action;
        for (const char* window : {"Form4", "Form3", "Form1"}) EXPECT_FALSE(d.shown(window)) << action << window;
        ASSERT_EQ(d.questions().size(), 1) << action;
        EXPECT_EQ(d.questions()[0].toObject().value("caption").toString().toStdString(), kTitle) << action;
        EXPECT_EQ(d.questions()[0].toObject().value("text").toString().toStdString(), kExitQuestion) << action;
    }
}

TEST(Exit, NoKeepsTheProgramRunningUnchanged) {
    for (const std::string action : {"click Command6", "menu owari", "close Form4"}) {
        const std::vector<Dump> dumps =
            play(Script().tested(2, 2, {"30", "10", "10", "30"}).dump().line("answer no").line(action).dump());
        ASSERT_EQ(dumps.size(), 2u);
        EXPECT_FALSE(dumps[1].exited()) << action;
        EXPECT_TRUE(dumps[1].shown("Form4")) << action;
        EXPECT_EQ(differences(dumps[0], dumps[1]), "a question was asked\n") << action;
    }
}

// --- Residual and power steps -------------------------------------------------------

const std::string kResidualExplanation =
    "クロス表における残差分析\n"
    "　どのマス目においてデータと期待値が有意にずれているか。\n"
    "■残差とは「度数－期待値」 のズレのこと。\n"
    "■標準化残差は、期待値の大きさに基づいて変換した残差。\n"
    "■調整済み残差は正規分布N(0,1)での検定のための変換を施した残差（両側検定）。\n"
    "　絶対値が 1.95996よりも大きいと  5%で有意 *\n"
    "　絶対値が 2.57583よりも大きいと  1%で有意 **\n"
    "　絶対値が 3.29048よりも大きいと 0.1%で有意 ***";

TEST(Analysis, TypicalRunContinuedWithResidualsAndPower) {
    const std::vector<Dump> dumps =
        play(Script().tested(2, 2, {"30", "10", "10", "30"}).click("Command3").dump().click("Command8").dump());
    ASSERT_EQ(dumps.size(), 2u);
    const Dump& residuals = dumps[0];
    EXPECT_EQ(explanation(residuals), kResidualExplanation);
    EXPECT_TRUE(residuals.shown("Form1"));
    EXPECT_EQ(residuals.text("Form1", mat1(0)), "\n 10\n 2.236\n 4.472***");
    EXPECT_EQ(residuals.text("Form1", mat1(1)), "\n-10\n-2.236\n-4.472***");
    EXPECT_EQ(residuals.text("Form1", mat1(5)), "\n-10\n-2.236\n-4.472***");
    EXPECT_EQ(residuals.text("Form1", mat1(6)), "\n 10\n 2.236\n 4.472***");

    const std::string report = explanation(dumps[1]);
    EXPECT_EQ(report,
              "▼検定力分析のために　Power (1-β)\n"
              "　効果量 Effect Size　　ω=  .5　　(df= 1)\n"
              "R.Tamsvik(1992)によれば、\n"
              "　　効果量小：ω=0.1　実度数と期待度数のズレが小さい\n"
              "　　効果量中：ω=0.3　実度数と期待度数のズレが中くらい\n"
              "　　効果量大：ω=0.5　実度数と期待度数のズレが大きい\n"
              "[参考] 有意水準 α=5%として、検定力(1-β)=60% を実現するのに必要な全データ数は 20以下です。\n"
              "\n"
              "以下は「ω値と必要な全データ数」\n"
              "　　全データ数=  490　(ω=0.1と効果量小ならば)\n"
              "　　全データ数=  218　(ω=0.15)\n"
              "　　全データ数=  123　(ω=0.2と効果量小～中ならば)\n"
              "　　全データ数=  79　(ω=0.25)\n"
              "　　全データ数=  55　(ω=0.3と効果量中ならば)\n"
              "　　全データ数=  40　(ω=0.35)\n"
              "　　全データ数=  31　(ω=0.4と効果量中～大ならば)\n"
              "　　全データ数=  25　(ω=0.45)\n"
              "　　全データ数=  20　(ω=0.5と効果量大ならば)\n"
              "※ χ2検定における効果量は次の式で算出：\n"
              "  　　ω =√(χ2値 / 全度数) ");
    // Neither report becomes the text that the return items bring back.
    const Dump returned = finalState(
        Script().tested(2, 2, {"30", "10", "10", "30"}).click("Command3").click("Command8").line("menu modoruken"));
    EXPECT_EQ(lineOf(explanation(returned), 1), "●χ2検定： (df =  1 )　　　計算結果のχ2値が　");
}

TEST(Analysis, EditedCellChangesOnlyStandardizedAndAdjusted) {
    const Dump d = finalState(Script().tested(2, 2, {"30", "10", "10", "30"}).type(mat1(0), "20").click("Command3"));
    EXPECT_EQ(d.text("Form1", mat1(0)), "\n 10\n 0\n 0");
    EXPECT_EQ(d.text("Form1", mat1(1)), "\n-10\n-2.236\n-4.472***");
}

TEST(Analysis, OneRowTableGetsOnlyTheExplanation) {
    const std::vector<Dump> dumps = play(Script().tested(1, 3, {"10", "20", "30"}).dump().click("Command8").dump());
    EXPECT_FALSE(dumps[0].visible("Form4", "Command3"));
    EXPECT_TRUE(dumps[0].visible("Form4", "Command8"));
    // The power step of a one-row table uses the row total as N.
    EXPECT_EQ(lineOf(explanation(dumps[1]), 2), "　効果量 Effect Size　　ω=  .4082　　(df= 2)");
}

TEST(Analysis, MarginsOfZeroGiveAMessageAndLeaveTheResidualsWindow) {
    // After a successful test, the cells are cleared and the totals recomputed.
    const Script tested = Script().tested(2, 2, {"30", "10", "10", "30"});
    const std::vector<Dump> dumps =
        play(Script(tested).dump().line("answer yes").click("Command4").totals().click("Command3").dump());
    ASSERT_EQ(dumps.size(), 2u);
    ASSERT_EQ(dumps[1].messages().size(), 1);
    const QJsonObject message = dumps[1].messages()[0].toObject();
    EXPECT_EQ(message.value("caption").toString().toStdString(), kTitle);
    EXPECT_TRUE(message.value("text").toString().contains(QStringLiteral("行 1 の合計が 0 以下")));
    for (int k : {0, 1, 5, 6}) EXPECT_EQ(dumps[1].text("Form1", mat1(k)), dumps[0].text("Form1", mat1(k))) << k;
}

TEST(Analysis, EntryThatIsNotOneNumberGivesAMessageNamingTheCell) {
    for (const char* entry : {"", "12abc"}) {
        const Dump d = finalState(Script().tested(2, 3, {"3", "4", "5", "6", "7", "8"}).type(mat1(cellIndex(2, 3)), entry)
                                      .click("Command3"));
        ASSERT_EQ(d.messages().size(), 1) << entry;
        EXPECT_TRUE(d.messages()[0].toObject().value("text").toString().contains(QStringLiteral("行 2・列 3"))) << entry;
        EXPECT_EQ(d.text("Form1", mat1(cellIndex(2, 3))), "\n-.273") << entry;
    }
}

TEST(Analysis, PowerStepIsGuardedAndRefusesAZeroTotal) {
    const Script tested = Script().tested(2, 2, {"30", "10", "10", "30"});
    // After a new size the power step waits for the totals.
    const std::vector<Dump> waiting = play(Script(tested).size("2", "2").dump().click("Command8").dump());
    EXPECT_EQ(differences(waiting[0], waiting[1]), "");
    // With the totals of an emptied table N is 0: a message, and the explanation stays.
    const std::vector<Dump> zero =
        play(Script(tested).line("answer yes").click("Command4").totals().dump().click("Command8").dump());
    ASSERT_EQ(zero[1].messages().size(), 1);
    EXPECT_EQ(explanation(zero[1]), explanation(zero[0]));
    // After new totals but before a new test, the last chi-square meets the new N.
    const Dump reused = finalState(Script(tested).size("1", "2").cells(2, {"50", "50"}).totals().click("Command8"));
    EXPECT_EQ(lineOf(explanation(reused), 2), "　効果量 Effect Size　　ω=  .4472　　(df= 1)");
}

}  // namespace
}  // namespace tomokari::golden
