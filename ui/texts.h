#pragma once
// The fixed Japanese texts of the main window: the start-up note and the explanation screens.

#include <string>

namespace tomokari {

inline constexpr const char* kProgramTitle = "トモカリ ポルテノ";
inline constexpr const char* kExpectedWindowPrompt = "※ 左上の画面の「クロス表」の行数と列数を入力してください。";
inline constexpr const char* kCreditLine = "トモカリ ポルテノ　χ2検定の学習用計算機";
inline constexpr const char* kExitQuestion = "終了しますか？";
inline constexpr const char* kDataClearQuestion = "マス目の度数データをクリアしますか？";

// The nine-line note on degrees of freedom shown in the explanation area at start-up.
std::string degreesOfFreedomNote();

// The explanation screens of the menus, and how each treats the saved text.
enum class Screen { Usage, About, GoodnessOfFit, Independence, ResidualAnalysis, Yates, Fisher, Power };

struct ScreenItem {
    Screen screen;
    const char* name;     // the menu item's name
    const char* caption;  // the menu item's caption
    bool savesText;       // copies the explanation area into the saved text while no help is shown
    bool marksHelpShown;
};

inline constexpr ScreenItem kScreenItems[] = {
    {Screen::Usage, "tsukaikata", "・使い方", true, true},
    {Screen::About, "setsumei_hyouji", "・解　説", true, true},
    {Screen::GoodnessOfFit, "tekigoudo", "・適合度の検定", false, false},
    {Screen::Independence, "dokuritsusei", "･独立性の検定", false, true},
    {Screen::ResidualAnalysis, "zansabunseki", "･残差分析", false, false},
    {Screen::Yates, "Yates", "・イェーツの補正", false, true},
    {Screen::Fisher, "Fisher", "・フィッシャーの直接法", false, true},
    {Screen::Power, "kenteiryoku", "・検定力分析", false, true},
};

std::string screenText(Screen screen);

}  // namespace tomokari
