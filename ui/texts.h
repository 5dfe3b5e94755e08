#pragma once
// The fixed Japanese texts of the main window.

#include <string>

namespace tomokari {

inline constexpr const char* kProgramTitle = "トモカリ ポルテノ";
inline constexpr const char* kExpectedWindowPrompt = "※ 左上の画面の「クロス表」の行数と列数を入力してください。";
inline constexpr const char* kCreditLine = "トモカリ ポルテノ　χ2検定の学習用計算機";

// The nine-line note on degrees of freedom shown in the explanation area at start-up.
std::string degreesOfFreedomNote();

}  // namespace tomokari
