#include "engine/window_texts.h"

#include "engine/number_text.h"

namespace tomokari {

namespace {

std::string twoLines(const std::string& first, const std::string& second) { return first + kLineBreak + second; }

std::string expectedWindowTitle(int shapeCode) {
    switch (shapeCode) {
        case 12: return "「適合度検定」　期待値を表示　●自由度df (2-1)= 1";
        case 13: return "「適合度検定」　期待値を表示　●自由度df (3-1)= 2";
        case 14:
        case 15: return "「適合度検定」のための期待値（等分を想定）";
        case 22: return "「独立性の検定」　期待値を表示　●自由度df (2-1)x(2-1) = 1";
        case 23: return "「独立性の検定」　期待値を表示　●自由度df (2-1)x(3-1) = 2";
        case 32: return "「独立性の検定」　期待値を表示　●自由度df (3-1)x(2-1) = 2";
        case 33: return "「独立性の検定」　期待値を表示　●自由度df (3-1)x(3-1) = 4";
        default: return "行と列の「独立性の検定」のための「周辺度数からの期待値」";
    }
}

}  // namespace

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
    texts.note = expectedWindowTitle(t.shapeCode);
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
    texts.note = resultBlock(t.shapeCode, result, decimals);
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

}  // namespace tomokari
