#include "engine/texts.h"

#include "numbers/number_reader.h"
#include "numbers/number_text.h"

namespace tomokari {

namespace {

constexpr const char* kWebSite = "https://www.example.org/tomokari/";
constexpr const char* kTeamCredit = "トモカリ ポルテノ開発チーム";

std::string usage() {
    return joinLines({
        "●使用方法",
        "・行数(1～4)と列数(2～5)を入力します。[OK]を押して行列数を確定します。",
        "",
        "・マス目に数値を入力します。全部入力したら、[合計]を押します。[OK]と[合計]をクリックしないとχ2計算をしません。",
        "・次に　[χ2実行]を押して計算します。",
        "",
        "・[残差分析]のボタンが表示されます(１行データは除く)。押すと計算結果が表示されます。* "
        "の表示されたマス目は観測度数が期待値よりも有意に多過ぎまたは少な過ぎます。",
        "",
        "・[検定力分析]は、このχ2検定にどの程度の「検定する力」があるかを調べて、必要な全データ数の概算を示します。詳しくは[説明]"
        "をご覧下さい。",
        "",
        "※ 度数ゼロのマス目があったり、期待値がゼロのときはエラーとなることがあります。その際はプログラムを再起動してください",
    });
}

std::string about() {
    return joinLines({
        std::string("◆") + kProgramTitle + " 2026",
        "",
        "　研究法の授業で、度数データのχ2検定を自分の手で確かめながら学べるように作った計算機です。心理学研究法の授業で、"
        "クロス表の分析の練習に使っています。",
        "　インストール用CD-ROMからのインストールでは、そのまま使えます。それ以外の場合は「χ2検定用の数表 chi2prob.dat」と"
        "「検定力分析用の数表 power06.dat」をプログラム本体と同じディレクトリに入れておいてください。"
        "プログラム本体だけをコピーして使うときは、Qt 6 の実行時ライブラリ（Qt Widgets）がインストールされている必要があります。",
        "",
        "　このプログラムは自由に使用・複製・配布してかまいません。なお、計算結果などはご自身の責任でご利用ください。",
        "　　　　-----",
        "　倍精度で計算していますが、マス目の幅の制約により小数点以下５桁または４桁で四捨五入して表示しています。"
        "合計が合わないように見える場合でも内部では正確な計算を行っています。",
        "なお、１行データでは残差分析を行いません。",
        "",
        "新しい版は次のウェブサイトで公開しています。",
        std::string("　") + kWebSite,
        "",
        kTeamCredit,
    });
}

std::string goodnessOfFit() {
    return joinLines({
        "■ 適合度の検定",
        "　１行データについては、「適合度の検定」を行っています。これは、１行データのすべてが「均等な割合」であると想定して、"
        "すべての期待値が同一であることを帰無仮説としています。",
        "5%水準などで有意なときは、「均等である」という仮説が棄却され、各列の度数には有意な差があると結論づけます。",
        "※ なお、期待値が均等ではなく「ある特定の割合」があらかじめ分かっている場合がありますが、トモカリでは扱っていません。",
    });
}

std::string independence() {
    return joinLines({
        "■ 独立性の検定",
        "　２行２列以上の行列データについては、独立性の検定を行っています。これは、マス目のその行およびその列の周辺度数の比率"
        "から各マス目の期待度数を算出して、その期待度数と観測度数とのズレが大きいとき「行の項目と列の項目は独立ではなく何らかの"
        "関連がある」ことを示すための検定です。",
        "χ2値とはすべてのマス目におけるズレの合計値で、この値が大きいほど統計的に有意なズレが確認されたことになります。5%、1%、"
        "0.1%という有意水準はそうした確率で間違っている可能性の許容して(α過誤)、「ズレがない」という帰無仮説を棄却して「ズレが"
        "ある」という対立仮説を受け入れるものです。",
    });
}

std::string residualAnalysis() {
    return joinLines({
        "■ 残差分析",
        "　残差とは、観測度数と期待度数の差のことです。各マス目の観測度数とその期待度数とを比較するとプラスまたはマイナスのズレが"
        "生じます。χ2検定では、このズレを二乗した後に期待度数で割りその合計を算出します。それに対して、残差分析では合計してしまわ"
        "ずにこのズレそのものを分析します。調整済み残差とは、正規分布を用いて検定するために必要な変換を行ったズレのことです。平均"
        "値ゼロ、標準偏差±１.0である、正規分布 N(0,1)に基づいて検定を行うと",
        "",
        "○各マス目ごとにズレの絶対値(プラスマイナスの符号に関わらない数値の大きさ)が",
        "　1.95996よりも大きいと  5%で有意なズレ *",
        "　2.57583よりも大きいと  1%で有意なズレ **",
        "　3.29048よりも大きいと 0.1%で有意なズレ ***",
        "であることが示されます。なお、残差分析で分かるのは「どのマス目が期待値から大きくずれているか」なので、行の項目と列の項目に"
        "ついて、特定の行や列の効果を直接示しているわけではありません。",
    });
}

std::string yates() {
    return joinLines({
        "■解説",
        "「イェーツの補正」「イェーツの連続性の修正」(Yates' continuity correction)とは、度数が５以下になるようなマス目がある場合、"
        "度数が少なすぎることにより起きるχ2分布とのズレの修正を行うものです。χ2検定で用いるデータは元々、離散型なので連続型の"
        "分布とのズレがあり、その度合いが大きくなりすぎないように補正します。",
        "※ なおイェーツの補正を実施すべき状況についてはいろいろと議論がなされています。",
        "(トモカリにはイェーツの補正機能はありません。)",
    });
}

std::string fisher() {
    return joinLines({
        "■解説",
        "「フィッシャーの直接法」「フィッシャーの正確確率法」(Fisher's exact test)とは、分割表の度数データで、マス目の度数があまり"
        "多くないときに用いられます。得られたマス目の度数のパターン(組み合わせ)を調べ上げて、そのパターンとそれ以上に偏りのある"
        "パターンの起きる確率を厳密に計算するので、度数が少ない場合はχ2検定よりも厳密な検定が行えます。",
        "なお、2x2型以外でも計算可能だが度数が多いと組み合わせの数が膨大となり計算時間が必要となります。",
        "(トモカリには正確確率計算の機能はありません。)",
    });
}

std::string power() {
    return joinLines({
        "▼χ2検定の「検定力」の分析について",
        "　検定力(power)とは、検定により得られた結果をどの程度強く主張できるかを示す指標です。Power=1－β と表記して、「対立仮説を"
        "正しく採択する確率」を示し１から０までの数値をとります。R.Tamsvikは、検定力として 0.8 程度は必要と提唱しました。これは、"
        "そうした研究を100回実施するとそのうち80回程度は同様な検定結果が得られることを意味します。",
        "",
        "　χ2検定は実度数と期待度数とのズレの程度を扱い、検定力分析ではそのズレの大きさを効果量 Effect Size として取り上げます。",
        "ズレが大きいときはχ2値も大きく、そういうときはデータ数はそれほど多くは必要ありません。この状態を「効果量が大」と呼び、"
        "R.Tamsvikはω=0.5以上とすることを提唱しました。",
        "　また、ズレが中程度のときは「効果量が中」として、ω=0.3 程度と想定。",
        "さらにズレが小さいとき、それほどに小さいズレを検知して有意な結果を得るためにはたくさんのデータが必要となります。その状態を"
        "「効果量が小」としてR.Tamsvikは ω=0.1 程度としました。「効果量が小」のときにデータ数が十分でないと適度の検定力が得られま"
        "せん。",
        "",
        "参考として示したのは、有意水準5%で検定力 Power=0.6 のときに、効果量 ω= 0.1、0.15、0.2、0.25、 0.3、0.35、0.4、0.45、 0.5 "
        "毎に必要とされるデータ数です。",
        "(数値は G*Powerソフトで算出しすべて切り上げています。R.Tamsvikの数表(1988)との対応を確認。詳細はサイトをご覧ください)",
        std::string("　　") + kWebSite + "power/",
        "　　　----------------------------",
        "※ χ2検定で有意になったとしても、その検定のパワー、すなわち「検定する力」「検定力」が小さいときは，得られた結果を強く主張"
        "することができません。特にデータ数が少ないときに、検定力が不足していることがあります。",
        "その反対に、データ数は少ないが実度数と期待値のズレが大きく、すなわち「効果量が大」のとき」は検定力が高いので、データ数の少な"
        "さを嘆く必要はなくあらためてデータ数を増やす必要はありません。そうした事態のどちらかを見極める際に「検定力分析」が必要とな"
        "ります。",
        "",
        "※ R.Tamsvikは慣例としてPower=0.8 を推奨していますが、ここではPower=0.6 とあまり高くない場合について必要なデータ数を示し"
        "ます。検定で有意だったとしても、少なくとも Power=0.6 (有意だという結果が60%の確率で再現される)ことは必要と思われます。",
        "",
        kTeamCredit,
    });
}

constexpr const char* kChiSquareMarks[] = {"　(有意はでない)", "*　(5%で有意)", "**　(1%で有意)", "***　(0.1%で有意)"};
constexpr const char* kLikelihoodMarks[] = {"　(有意はでない)", "*　(5%で有意)", "**　(1%で有意)", "*** (0.1%で有意)",
                                            "　度数ゼロで計算不可。"};
constexpr const char* kLevelPhrases[] = {"", "　よりも大きいと 5%水準で有意　*", "　よりも大きいと 1%水準で有意　**",
                                         "　よりも大きいと 0.1%水準で有意　***"};
constexpr const char* kResidualMarks[] = {"", "*", "**", "***"};

// The shapes up to 3 x 3 spell out their degrees of freedom in both titles; larger shapes
// take the general titles of their test.
struct ShapeTitles {
    int shapeCode;
    const char* result;    // first line of the result block
    const char* expected;  // the expected-values window's title line
};
constexpr ShapeTitles kSpelledOutTitles[] = {
    {12, "適合度の検定 df= (2-1)= 1", "「適合度検定」　期待値を表示　●自由度df (2-1)= 1"},
    {13, "適合度検定 df= (3-1)= 2", "「適合度検定」　期待値を表示　●自由度df (3-1)= 2"},
    {22, "独立性の検定 df= (2-1)x(2-1)= 1", "「独立性の検定」　期待値を表示　●自由度df (2-1)x(2-1) = 1"},
    {23, "独立性の検定 df= (2-1)x(3-1)= 2", "「独立性の検定」　期待値を表示　●自由度df (2-1)x(3-1) = 2"},
    {32, "独立性の検定 df= (3-1)x(2-1)= 2", "「独立性の検定」　期待値を表示　●自由度df (3-1)x(2-1) = 2"},
    {33, "独立性の検定 df= (3-1)x(3-1)= 4", "「独立性の検定」　期待値を表示　●自由度df (3-1)x(3-1) = 4"},
};

const ShapeTitles* spelledOutTitles(int shapeCode) {
    for (const ShapeTitles& titles : kSpelledOutTitles) {
        if (titles.shapeCode == shapeCode) return &titles;
    }
    return nullptr;
}

std::string resultTitle(const CrossTable& t, int df) {
    if (const ShapeTitles* titles = spelledOutTitles(t.shapeCode)) return titles->result;
    const char* test = t.rowCount == 1 ? "χ2値に基づく適合度検定" : "χ2値に基づく独立性の検定";
    return std::string(test) + "　(df= " + signedNumberText(df) + " )";
}

std::string expectedWindowTitle(const CrossTable& t) {
    if (const ShapeTitles* titles = spelledOutTitles(t.shapeCode)) return titles->expected;
    return t.rowCount == 1 ? "「適合度検定」のための期待値（等分を想定）" : "行と列の「独立性の検定」のための「周辺度数からの期待値」";
}

std::string twoLines(const std::string& first, const std::string& second) { return first + kLineBreak + second; }

std::string estimateSentence(const SampleSizeEstimate& estimate) {
    const std::string number = signedNumberText(estimate.number);
    switch (estimate.kind) {
        case SampleSizeEstimate::AtLeast: return number + "以上です。";
        case SampleSizeEstimate::AtMost: return number + "以下です。";
        case SampleSizeEstimate::About: break;
    }
    return "概算(単純補間)で " + number + " 程度です。";
}

constexpr const char* kStepLabels[kOmegaStepCount] = {
    "　(ω=0.1と効果量小ならば)", "　(ω=0.15)", "　(ω=0.2と効果量小～中ならば)", "　(ω=0.25)", "　(ω=0.3と効果量中ならば)",
    "　(ω=0.35)",                "　(ω=0.4と効果量中～大ならば)", "　(ω=0.45)", "　(ω=0.5と効果量大ならば)",
};

}  // namespace

std::string numberedHeading(const char* word, int number) { return word + signedNumberText(number); }

std::string pasteLeftOutMessage(int rows, int columns) {
    const std::string rowPart = rows > 0 ? std::to_string(rows) + " 行" : "";
    const std::string columnPart = columns > 0 ? std::to_string(columns) + " 列" : "";
    return "貼り付けた表のうち " + rowPart + (rows > 0 && columns > 0 ? "と " : "") + columnPart +
           "がマス目に入りきらないので、入力していません。先に行数と列数を変えてから貼り付けてください。";
}

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

std::string screenText(Screen screen) {
    switch (screen) {
        case Screen::Usage: return usage();
        case Screen::About: return about();
        case Screen::GoodnessOfFit: return goodnessOfFit();
        case Screen::Independence: return independence();
        case Screen::ResidualAnalysis: return residualAnalysis();
        case Screen::Yates: return yates();
        case Screen::Fisher: return fisher();
        case Screen::Power: return power();
    }
    return {};
}

std::string significanceHeader(int df, const CriticalValueTable& critical, int decimals) {
    std::string text = "●χ2検定： (df = " + signedNumberText(df) + " )　　　計算結果のχ2値が　";
    for (int level = 1; level <= 3; ++level) {
        // Critical values are shown as single-precision values.
        const float value = toSingle(roundToDecimals(critical.at(df, level), decimals));
        text += kLineBreak + signedSingleText(value) + kLevelPhrases[level];
    }
    return joinLines({text, "", "有意になると「行と列は独立」という帰無仮説が棄却され、",
                      "「行の項目と列の項目には何らかの関連がある」と結論づけられる。",
                      "※その結論が「誤りである確率」が各「有意水準」(α過誤)。"});
}

std::string residualExplanation() {
    return joinLines({
        "クロス表における残差分析",
        "　どのマス目においてデータと期待値が有意にずれているか。",
        "■残差とは「度数－期待値」 のズレのこと。",
        "■標準化残差は、期待値の大きさに基づいて変換した残差。",
        "■調整済み残差は正規分布N(0,1)での検定のための変換を施した残差（両側検定）。",
        "　絶対値が 1.95996よりも大きいと  5%で有意 *",
        "　絶対値が 2.57583よりも大きいと  1%で有意 **",
        "　絶対値が 3.29048よりも大きいと 0.1%で有意 ***",
    });
}

std::string residualFailureMessage(const ResidualFailure& failure) {
    switch (failure.kind) {
        case ResidualFailure::NonPositiveRowTotal:
            return "行" + signedNumberText(failure.row) + " の合計が 0 以下なので、残差分析はできません。";
        case ResidualFailure::NonPositiveColumnTotal:
            return "列" + signedNumberText(failure.column) + " の合計が 0 以下なので、残差分析はできません。";
        case ResidualFailure::EntryNotANumber:
            return "行" + signedNumberText(failure.row) + "・列" + signedNumberText(failure.column) +
                   " のマス目が一つの数値になっていないので、残差分析はできません。数値を入力してください。";
        case ResidualFailure::CellChanged:
            return "行" + signedNumberText(failure.row) + "・列" + signedNumberText(failure.column) +
                   " のマス目の数値が合計したあとで変わっているので、残差分析はできません。「合計する(2)」をもう一度押してください。";
        case ResidualFailure::NotComputable:
            return "計算できない値があるので、残差分析はできません。";
        case ResidualFailure::None: break;
    }
    return {};
}

std::string powerReport(double omega, int df, const SampleSizeEstimate& estimate, const PowerSampleTable& table,
                        int decimals) {
    std::string lines = joinLines({
        "▼検定力分析のために　Power (1-β)",
        "　効果量 Effect Size　　ω= " + roundedText(omega, decimals + 1) + "　　(df=" + signedNumberText(df) + ")",
        "R.Tamsvik(1992)によれば、",
        "　　効果量小：ω=0.1　実度数と期待度数のズレが小さい",
        "　　効果量中：ω=0.3　実度数と期待度数のズレが中くらい",
        "　　効果量大：ω=0.5　実度数と期待度数のズレが大きい",
        "[参考] 有意水準 α=5%として、検定力(1-β)=60% を実現するのに必要な全データ数は" + estimateSentence(estimate),
        "",
        "以下は「ω値と必要な全データ数」",
    });
    for (int step = 1; step <= kOmegaStepCount; ++step) {
        lines += kLineBreak + ("　　全データ数= " + signedSingleText(table.at(df, step))) + kStepLabels[step - 1];
    }
    return lines + kLineBreak + joinLines({"※ χ2検定における効果量は次の式で算出：", "  　　ω =√(χ2値 / 全度数) "});
}

std::string resultBlock(const CrossTable& t, const ChiSquareResult& result, int decimals) {
    const int level = result.significanceLevel >= 0 && result.significanceLevel <= 3 ? result.significanceLevel : 0;
    const int lrLevel = result.likelihoodLevel >= 0 && result.likelihoodLevel <= 4 ? result.likelihoodLevel : 0;
    return joinLines({resultTitle(t, result.degreesOfFreedom),
                      "●χ2= " + roundedText(result.chiSquare, decimals) + kChiSquareMarks[level],
                      "★尤度比検定　χ2= " + roundedText(result.likelihoodRatio, 3) + kLikelihoodMarks[lrLevel]});
}

GridTexts mainWindowTotals(const CrossTable& t) {
    GridTexts texts;
    for (int i = 0; i < t.rowCount; ++i) texts.rowBoxes[i] = signedNumberText(t.rowTotal[i]);
    for (int j = 0; j < t.columnCount; ++j) {
        if (t.rowCount == 1) {
            texts.columnBoxes[j] = signedSingleText(t.observed[0][j]);
        } else if (isSmallShape(t.shapeCode)) {  // 2 x 2 to 3 x 3 show their column totals plainly
            texts.columnBoxes[j] = plainNumberText(t.columnTotal[j]);
        } else {
            texts.columnBoxes[j] = signedNumberText(t.columnTotal[j]);
        }
    }
    texts.grandBox = signedNumberText(t.grandTotal);
    return texts;
}

GridTexts expectedWindowTotals(const CrossTable& t, int decimals) {
    GridTexts texts;
    // The 1 x 2 and 1 x 3 tables show their expected values unrounded.
    const bool unrounded = t.rowCount == 1 && isSmallShape(t.shapeCode);
    auto expectedText = [&](double e) { return unrounded ? signedNumberText(e) : roundedText(e, decimals); };
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) texts.cells[cellIndex(i + 1, j + 1)] = expectedText(t.expected[i][j]);
        texts.rowBoxes[i] = signedNumberText(t.rowTotal[i]);
    }
    for (int j = 0; j < t.columnCount; ++j) {
        // One row: every column expects the same share, which the column boxes repeat.
        texts.columnBoxes[j] = t.rowCount == 1 ? expectedText(t.expected[0][j]) : signedNumberText(t.columnTotal[j]);
    }
    texts.grandBox = signedNumberText(t.grandTotal);
    texts.note = expectedWindowTitle(t);
    return texts;
}

GridTexts expectedWindowTest(const CrossTable& t, const ChiSquareResult& result, int decimals) {
    GridTexts texts;
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            texts.cells[cellIndex(i + 1, j + 1)] =
                twoLines(roundedText(t.expected[i][j], decimals), roundedText(result.contribution[i][j], decimals));
        }
        texts.rowBoxes[i] = twoLines(signedNumberText(t.rowTotal[i]), roundedText(result.rowChiSquare[i], decimals));
    }
    // One-row tables keep the expected values of the totals step in their column and grand boxes.
    if (t.rowCount >= 2) {
        for (int j = 0; j < t.columnCount; ++j) {
            texts.columnBoxes[j] =
                twoLines(signedNumberText(t.columnTotal[j]), roundedText(result.columnChiSquare[j], decimals));
        }
        texts.grandBox = twoLines(signedNumberText(t.grandTotal), roundedText(result.chiSquare, decimals));
    }
    texts.note = resultBlock(t, result, decimals);
    return texts;
}

GridTexts rawResidualTexts(const CrossTable& t, int decimals) {
    GridTexts texts;
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            const double residual = static_cast<double>(t.observed[i][j]) - t.expected[i][j];
            texts.cells[cellIndex(i + 1, j + 1)] = kLineBreak + roundedText(residual, decimals);
        }
    }
    return texts;
}

GridTexts residualTexts(const CrossTable& t, const ResidualResult& residuals, int decimals) {
    GridTexts texts;
    for (int i = 0; i < t.rowCount; ++i) {
        for (int j = 0; j < t.columnCount; ++j) {
            const ResidualCell& cell = residuals.cells[i][j];
            const int mark = cell.markLevel >= 0 && cell.markLevel <= 3 ? cell.markLevel : 0;
            texts.cells[cellIndex(i + 1, j + 1)] =
                joinLines({"", roundedText(cell.residual, decimals), roundedText(cell.standardized, decimals),
                           roundedText(cell.adjusted, decimals) + kResidualMarks[mark]});
        }
    }
    return texts;
}

}  // namespace tomokari
