#include "ui/texts.h"

#include "engine/number_text.h"

namespace tomokari {

std::string degreesOfFreedomNote() {
    return joinLines({
        "●χ2検定　　 自由度 df　1行m列のとき　df=(m-1)",
        "　　　　　　　n行m列のとき　df=(n-1)x(m-1) 　n,mは2以上",
        "df=1　χ2＞ 3.8414 ならば５％水準で有意。",
        "　　　χ2＞ 6.6348 ならば１％水準で有意。",
        "df=2　χ2＞ 5.9914 ならば５％水準で有意。",
        "　　　χ2＞ 9.2103 ならば１％水準で有意。",
        "df=4　χ2＞ 9.4878 ならば５％水準で有意。",
        "　　　χ2＞ 13.2767 ならば１％水準で有意。",
        "★対数線形モデルによる尤度比のχ2検定",
    });
}

}  // namespace tomokari
