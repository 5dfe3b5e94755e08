#include "ui/secondary_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "engine/number_text.h"
#include "ui/controls.h"

namespace tomokari {

namespace {

QString columnHeading(int column) { return QStringLiteral("列") + QString::fromStdString(signedNumberText(column)); }

void setClientGeometry(QWidget* window, int left, int top, int width, int height) {
    window->setFixedSize(px(width), px(height));
    window->move(px(left), px(top));
}

}  // namespace

Form3::Form3() {
    named(this, QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("χ2値計算用　各セル毎の期待値とχ2値"));
    setClientGeometry(this, 6000, 5205, 6330, 4065);

    const int headingLefts[kMaxColumns] = {1200, 2040, 2880, 3744, 4560};
    for (int j = 0; j < kMaxColumns; ++j) {
        auto* heading = named(new QLabel(columnHeading(j + 1), this), indexedName("Retlab", j));
        placeTwips(heading, headingLefts[j], j == 3 ? 117 : 120, 600, 240);
        grid_.columnHeadings[j] = heading;
    }
    for (int i = 0; i < kMaxRows; ++i) {
        auto* heading = named(new QLabel(QStringLiteral("期待値\nχ2値"), this), indexedName("Gyolab", i));
        heading->setAlignment(Qt::AlignRight | Qt::AlignTop);
        setPointSize(heading, 8);
        placeTwips(heading, 0, 480 + 480 * i, 855, 375);
        grid_.rowHeadings[i] = heading;
    }
    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) {
            const int k = cellIndex(i, j);
            auto* box = named(makeDisplayBox(this, Qt::AlignLeft, false), indexedName("mat1", k));
            box->setText(QStringLiteral("0"));
            placeTwips(box, 960 + 840 * (j - 1), 360 + 480 * (i - 1), 855, 495);
            grid_.cells[k] = box;
        }
    }
    const int rowTops[kMaxRows] = {351, 840, 1320, 1800};
    for (int i = 0; i < kMaxRows; ++i) {
        auto* box = named(makeDisplayBox(this, Qt::AlignHCenter, true), indexedName("Ikei", i));
        box->setText(QStringLiteral("0"));
        placeTwips(box, 5400, rowTops[i], 855, 495);
        grid_.rowBoxes[i] = box;
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        auto* box = named(makeDisplayBox(this, Qt::AlignHCenter, true), indexedName("Jkei", j));
        box->setText(QStringLiteral("0"));
        placeTwips(box, 960 + 840 * j, 2520, 855, 495);
        grid_.columnBoxes[j] = box;
    }
    auto* grand = named(makeDisplayBox(this, Qt::AlignHCenter, true), QStringLiteral("Text10"));
    grand->setText(QStringLiteral("0"));
    placeTwips(grand, 5400, 2520, 832, 481);
    grid_.grandBox = grand;

    note_ = named(new QPlainTextEdit(this), QStringLiteral("Text11"));
    note_->setReadOnly(true);
    // Three lines of the result block fit without a scroll bar only with a thin margin.
    note_->document()->setDocumentMargin(1);
    placeTwips(note_, 960, 3240, 5044, 715);
    grid_.note = note_;

    named(makeLine(this, 5280, 360, 5280, 3000), QStringLiteral("Line1"));
    named(makeLine(this, 720, 2400, 6240, 2400), QStringLiteral("Line2"));
}

void Form3::setNote(const QString& text) { note_->setPlainText(text); }

Form1::Form1() {
    named(this, QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("「残差分析」　度数と期待値のズレの検定"));
    setClientGeometry(this, 6000, 450, 6315, 4260);

    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) {
            const int k = cellIndex(i, j);
            auto* box = named(makeDisplayBox(this, Qt::AlignLeft, false), indexedName("mat1", k));
            placeTwips(box, 1200 + 960 * (j - 1), 480 + 840 * (i - 1), 975, 855);
            grid_.cells[k] = box;
        }
    }
    for (int i = 0; i < kMaxRows; ++i) {
        auto* heading = named(new QLabel(QStringLiteral("残差\n標準化残差\n調整済み残差"), this), indexedName("Gyolab", i));
        heading->setAlignment(Qt::AlignRight | Qt::AlignTop);
        // Beside lines 2 to 4 of the boxes, whose first line stays empty.
        placeTwips(heading, 0, 720 + 840 * i, 1215, 615);
        grid_.rowHeadings[i] = heading;
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        auto* heading = named(new QLabel(columnHeading(j + 1), this), indexedName("Retlab", j));
        placeTwips(heading, 1320 + 960 * j, 120, 600, 250);
        grid_.columnHeadings[j] = heading;
    }
    // The residuals window shows no totals; the boxes exist only to keep the grid's names whole.
    for (int i = 0; i < kMaxRows; ++i) {
        grid_.rowBoxes[i] = named(makeDisplayBox(this, Qt::AlignHCenter, true), indexedName("Ikei", i));
        grid_.rowBoxes[i]->hide();
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        grid_.columnBoxes[j] = named(makeDisplayBox(this, Qt::AlignHCenter, true), indexedName("Jkei", j));
        grid_.columnBoxes[j]->hide();
    }
    grid_.grandBox = named(makeDisplayBox(this, Qt::AlignHCenter, true), QStringLiteral("Text10"));
    grid_.grandBox->hide();

    named(makeLine(this, 6120, 480, 6120, 3960), QStringLiteral("Line1"));
    named(makeLine(this, 1200, 3960, 6120, 3960), QStringLiteral("Line2"));
}

void showInFront(QWidget* window) {
    window->show();
    window->raise();
}

}  // namespace tomokari
