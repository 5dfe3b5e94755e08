#pragma once
// Every text that the three windows show, built in one place: fixed texts, report lines,
// titles and the texts of the grid boxes. Statistics come in as numbers, texts go out.

#include <array>
#include <optional>
#include <string>

#include "engine/chi_square.h"
#include "engine/cross_table.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "tables/reference_tables.h"

namespace tomokari {

inline constexpr const char* kProgramTitle = "トモカリ ポルテノ";
inline constexpr const char* kExpectedWindowTitle = "χ2値計算用　各セル毎の期待値とχ2値";
inline constexpr const char* kResidualsWindowTitle = "「残差分析」　度数と期待値のズレの検定";
inline constexpr const char* kFigureWindowTitle = "χ2検定の図";
// What takes the picture away, in both editions: its file's name, the commands, a failed save.
inline constexpr const char* kFigureFileName = "χ2検定の図";
inline constexpr const char* kFigureCopyCommand = "図をコピー";
inline constexpr const char* kFigurePngCommand = "PNG で保存";
inline constexpr const char* kFigureSvgCommand = "SVG で保存";
inline constexpr const char* kFigureNotSavedMessage = "図を保存できませんでした。保存先を確かめてください。";
inline constexpr const char* kExpectedWindowPrompt = "※ 左上の画面の「クロス表」の行数と列数を入力してください。";
inline constexpr const char* kCreditLine = "トモカリ ポルテノ　χ2検定の学習用計算機";
inline constexpr const char* kExitQuestion = "終了しますか？";
// What the browser edition says once the program has ended; the buttons of both editions' boxes.
inline constexpr const char* kEndedNote = "トモカリ ポルテノを終了しました。\nもう一度使うときは、このページを読み込み直してください。";
inline constexpr const char* kYesButton = "はい";
inline constexpr const char* kNoButton = "いいえ";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kCloseButton = "閉じる";  // what a screen reader says for a title bar's ×
inline constexpr const char* kCopyButton = "表をコピー";  // a title bar's button that copies the window's table
inline constexpr const char* kMenuBarName = "メニュー";
inline constexpr const char* kDataClearQuestion = "マス目の度数データをクリアしますか？";
inline constexpr const char* kExpectedZeroMessage = "期待値が０のセルがあるので計算中止";
// Shown instead of numbers when a cell holds a value beyond the single-precision range.
inline constexpr const char* kNotComputableMessage =
    "マス目に扱える範囲（約 3.4E+38）を超える数値があるので計算中止";
inline constexpr const char* kPowerNotComputableMessage =
    "全度数が 0 以下か、χ2値と全度数から効果量 ω を計算できないので、検定力分析はできません。";
// Shapes larger than 3 x 3 drop the step number from these two captions after a test.
inline constexpr const char* kResidualCaptionUnnumbered = "残差\n分析";
inline constexpr const char* kPowerCaptionUnnumbered = "検定力\n分析";

// A pasted block reached beyond the shape shown: how many rows and columns were left out.
std::string pasteLeftOutMessage(int rows, int columns);

// "行 1", "列 5": a heading word and its number as the signed number text writes it.
std::string numberedHeading(const char* word, int number);

// The nine-line note on degrees of freedom shown in the explanation area at start-up.
std::string degreesOfFreedomNote();

// The explanation screens of the menus.
enum class Screen { Usage, About, GoodnessOfFit, Independence, ResidualAnalysis, Yates, Fisher, Power };
std::string screenText(Screen screen);

// The eight-line header for the main window's explanation area.
std::string significanceHeader(int df, const CriticalValueTable& critical, int decimals);

// The eight-line explanation written into the main window by the residual step.
std::string residualExplanation();

// A Japanese sentence saying why the residual analysis cannot be made.
std::string residualFailureMessage(const ResidualFailure& failure);

// The twenty-line power report for the main window's explanation area.
std::string powerReport(double omega, int df, const SampleSizeEstimate& estimate, const PowerSampleTable& table,
                        int decimals);

// Title, chi-square line and likelihood-ratio line for the expected-values window.
std::string resultBlock(const CrossTable& table, const ChiSquareResult& result, int decimals);

// What one step writes into a window's grid. A box whose entry is empty is left as it is.
struct GridTexts {
    std::array<std::optional<std::string>, kCellCount> cells;          // mat1, by cellIndex
    std::array<std::optional<std::string>, kMaxRows> rowBoxes;         // Ikei
    std::array<std::optional<std::string>, kMaxColumns> columnBoxes;   // Jkei
    std::optional<std::string> grandBox;                               // Text10
    std::optional<std::string> note;                                   // Text11
};

// The totals of the main window after a totals step on a computable table.
GridTexts mainWindowTotals(const CrossTable& table);

// The expected values, margins and title of the expected-values window after a totals step
// on a computable table.
GridTexts expectedWindowTotals(const CrossTable& table, int decimals);

// The expected values with their contributions, the margins with their chi-square sums and
// the result block, after a completed test (neither expectedZero nor notComputable).
GridTexts expectedWindowTest(const CrossTable& table, const ChiSquareResult& result, int decimals);

// The raw residual O - E of every cell on the second line of its box in the residuals window.
GridTexts rawResidualTexts(const CrossTable& table, int decimals);

// The three residuals of every cell's box in the residuals window, the first line left empty.
GridTexts residualTexts(const CrossTable& table, const ResidualResult& residuals, int decimals);

}  // namespace tomokari
