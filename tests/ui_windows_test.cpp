// The windows as a user meets them: the tab order follows the workflow, Enter in a size box
// presses OK, F10 opens the menu bar; the layout holds under whatever font was found; a
// screen reader can tell every box by its row and column. And the real message boxes behind
// the question seam: two buttons, no icon, Yes the default, and the program's title where a
// question has no caption of its own.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QLibraryInfo>
#include <QMenu>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <memory>

#include "engine/texts.h"
#include "ui/dialogs.h"
#include "ui/placement.h"
#include "ui/program.h"
#include "ui/translation.h"

namespace tomokari {
namespace {

class NoDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void showMessage(QWidget*, const QString&, const QString&) override {}
    void quitProgram() override {}
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(program_.startUp(QCoreApplication::applicationDirPath()).has_value());
        form4_.activateWindow();
        QApplication::setActiveWindow(&form4_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form4_));
    }

    NoDialogs dialogs_;
    Program program_{dialogs_};
    MainWindow& form4_ = program_.mainWindow();
};

// Results take no typing; Ctrl+C with a selection in a box copies the selection, not the table.
TEST_F(Windows, ResultsTakeNoTypingAndASelectionCopiesItself) {
    for (QWidget* box : {form4_.findChild<QWidget*>("Ikei(0)"), form4_.findChild<QWidget*>("Text11"),
                         program_.expectedValuesWindow().findChild<QWidget*>("Text11")}) {
        const auto shown = [box] { auto* line = qobject_cast<QLineEdit*>(box); return line ? line->text() : static_cast<QPlainTextEdit*>(box)->toPlainText(); };
        const QString before = shown();
        QTest::keyClicks(box, "7");
        EXPECT_EQ(shown(), before) << box->objectName().toStdString();
    }
    auto* cell = form4_.findChild<QLineEdit*>("mat1(0)");
    cell->setFocus();
    cell->setSelection(0, 1);
    QTest::keyClick(cell, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1");

    // In the picture window Ctrl+C copies the picture, drawn at twice its size, with its caption.
    for (const char* button : {"Command1", "Command7", "Command5"}) form4_.findChild<QAbstractButton*>(button)->click();
    QTest::keyClick(&program_.figureWindow(), Qt::Key_C, Qt::ControlModifier);
    const QImage picture = qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    EXPECT_EQ(picture.width(), 2 * 416);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), program_.figureWindow().findChild<QPlainTextEdit*>("Caption")->toPlainText());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("図（χ2分布）：df= 12")));
}

// Enter in a size box presses OK, in a cell moves on; Tab follows the workflow through what is shown.
TEST_F(Windows, TheKeyboardFollowsTheWorkflow) {
    auto* rows = form4_.findChild<QLineEdit*>("Text12");
    auto* columns = form4_.findChild<QLineEdit*>("Text13");
    rows->setText("2");
    columns->setText("2");
    columns->setFocus();
    QTest::keyClick(columns, Qt::Key_Return);
    EXPECT_FALSE(form4_.findChild<QWidget*>("mat1(2)")->isVisibleTo(&form4_));
    EXPECT_TRUE(form4_.findChild<QWidget*>("mat1(6)")->isVisibleTo(&form4_));

    // Enter in a cell moves on to the next one shown, and from the last to the totals button.
    for (const auto& [from, to] : {std::pair{"mat1(0)", "mat1(1)"}, {"mat1(1)", "mat1(5)"}, {"mat1(6)", "Command7"}}) {
        form4_.findChild<QWidget*>(from)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), to) << from;
    }

    // Totals and test pressed with the space bar reveal the residual and power buttons, which
    // then take their places in the tab order; the hidden cells have none.
    for (const char* button : {"Command7", "Command5"}) {
        form4_.findChild<QWidget*>(button)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    const QStringList expected = {"Text12", "Text13", "Command1", "mat1(0)", "mat1(1)", "mat1(5)", "mat1(6)", "Command7",
                                  "Command5", "Command3", "Command8", "Command2", "Command4", "Command6", "Text11", "Text12"};
    form4_.findChild<QWidget*>("Text12")->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

// Every visible control lies inside its window, every caption fits its control, and no control
// stacked above a label (declared after it) and painting a background covers the label's text.
void expectLayoutHolds(Program& program, const char* state) {
    for (const WindowLayout& layout : windowLayouts()) {
        QWidget& window = program.window(layout.id);
        const auto onWindow = [&](const QWidget* w, QRect r) { return r.translated(w->mapTo(&window, QPoint(0, 0))); };
        QList<QWidget*> controls;  // in the order of their declarations, the lowest first
        for (const ControlLayout& control : layout.controls) {
            auto* w = window.findChild<QWidget*>(QString::fromStdString(control.name));
            if (w && w->isVisibleTo(&window) && !qobject_cast<QMenu*>(w)) controls << w;
        }
        for (QWidget* widget : controls) {
            const std::string where = std::string(state) + ": " + layout.name + "." + widget->objectName().toStdString();
            EXPECT_TRUE(window.rect().contains(onWindow(widget, widget->rect()))) << where << " lies outside its window";
            auto* label = qobject_cast<QLabel*>(widget);
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if ((!label || label->frameShape() != QFrame::NoFrame) && !button) continue;
            const QString caption = label ? label->text() : button->text();
            const QRect text = widget->fontMetrics().boundingRect(widget->contentsRect(), label ? int(label->alignment()) : int(Qt::AlignCenter), caption);
            EXPECT_TRUE(widget->contentsRect().contains(text)) << where << " cuts its caption";
            for (QWidget* other : controls.sliced(controls.indexOf(widget) + 1)) {
                const bool transparent = qobject_cast<QLabel*>(other) && !other->autoFillBackground();
                if (label && !transparent && onWindow(other, other->rect()).intersects(onWindow(widget, text)))
                    ADD_FAILURE() << where << " has its text covered by " << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(Windows, LayoutHoldsInEveryState) {
    expectLayoutHolds(program_, "start-up");
    for (const char* button : {"Command7", "Command5", "Command3", "Command8"}) form4_.findChild<QAbstractButton*>(button)->click();
    expectLayoutHolds(program_, "4 x 5 after every step");
}

TEST_F(Windows, ScreenReadersNameEveryBoxByItsPlace) {
    const auto spoken = [](QWidget& window, const QString& name) {
        return QAccessible::queryAccessibleInterface(window.findChild<QWidget*>(name))->text(QAccessible::Name);
    };
    for (int k = 0; k < 20; ++k) {
        const QString place = QStringLiteral("行%1 列%2").arg(k / 5 + 1).arg(k % 5 + 1);
        EXPECT_EQ(spoken(form4_, QStringLiteral("mat1(%1)").arg(k)), place);
        EXPECT_EQ(spoken(program_.expectedValuesWindow(), QStringLiteral("mat1(%1)").arg(k)), "期待値 " + place);
        EXPECT_EQ(spoken(program_.residualsWindow(), QStringLiteral("mat1(%1)").arg(k)), "残差 " + place);
    }
    EXPECT_EQ(spoken(form4_, "Ikei(1)"), "行2 合計");
    EXPECT_EQ(spoken(form4_, "Jkei(4)"), "列5 合計");
    EXPECT_EQ(spoken(program_.expectedValuesWindow(), "Text10"), "期待値 総計");
    EXPECT_EQ(spoken(program_.expectedValuesWindow(), "Text11"), "検定結果");
    EXPECT_EQ(spoken(form4_, "Text11"), "解説");
    EXPECT_EQ(spoken(form4_, "Command7"), "合計する(2)");  // a two-line caption as one phrase
    for (const WindowLayout& layout : windowLayouts()) {  // a window, not a filler
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&program_.window(layout.id));
        EXPECT_EQ(window->role(), QAccessible::Window) << layout.name;
        EXPECT_EQ(window->text(QAccessible::Name), QString::fromStdString(layout.title)) << layout.name;
    }
}

TEST_F(Windows, F10OpensTheMenuBar) {
    form4_.findChild<QWidget*>("mat1(0)")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    ASSERT_NE(form4_.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(form4_.menuBar()->activeAction()->objectName(), QStringLiteral("owari"));
}


struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    std::string buttons;  // as a screen reader reads them, sorted; "*" marks the default
};

QStringList spokenButtons(QAccessibleInterface* node) {
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child->role() == QAccessible::PushButton) names << child->text(QAccessible::Name) + (child->state().defaultButton ? "*" : "");
        names << spokenButtons(child);
    }
    names.sort();
    return names;
}

// Looks at the box once it is open, then presses `press` on it.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = spokenButtons(QAccessible::queryAccessibleInterface(box)).join(" / ").toStdString();
        box->button(press)->click();
    });
}

// Qt's own texts come from its Japanese translation, and in English where that file is missing;
// either way each box, a question or a message answered with `press`, shows its title (the
// program's where the box has no caption of its own), its text and no icon, and its buttons read
// as a screen reader reads them in Japanese, はい the default.
TEST(QtTexts, ContextMenusFromQtsTranslationBoxesInJapaneseEitherWay) {
    const QTemporaryDir withoutTranslation;
    const std::pair<QString, std::string> contextMenus[] = {
        {QLibraryInfo::path(QLibraryInfo::TranslationsPath), "元に戻す(&U) / やり直す(&R) / 切り取り(&T) / コピー(&C) / 貼り付け(&P) / 削除 / すべてを選択"},
        {withoutTranslation.path(), "&Undo / &Redo / Cu&t / &Copy / &Paste / Delete / Select All"},
    };
    const struct {
        bool question;
        QString caption, text;
        QMessageBox::StandardButton press;
        bool answer;
        QString title;
        std::string buttons;
    } boxes[] = {
        {true, "トモカリ ポルテノ", "終了しますか？", QMessageBox::Yes, true, "トモカリ ポルテノ", "いいえ / はい*"},
        {true, "", "マス目の度数データをクリアしますか？", QMessageBox::No, false, QString::fromUtf8(kProgramTitle), "いいえ / はい*"},
        {false, "", "数表ファイルが見つかりません。", QMessageBox::Ok, false, QString::fromUtf8(kProgramTitle), "OK*"},
    };
    for (const auto& [directory, contextMenu] : contextMenus) {
        const auto translation = installQtTranslation(directory);
        EXPECT_EQ(translation == nullptr, directory == withoutTranslation.path());
        QLineEdit box;
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList items;
        for (const QAction* item : menu->actions()) if (!item->isSeparator()) items << item->text().section('\t', 0, 0);
        EXPECT_EQ(items.join(" / ").toStdString(), contextMenu);
        for (const auto& c : boxes) {
            MessageBoxDialogs dialogs;
            SeenBox seen;
            answerNextBox(seen, c.press);
            const bool answer = c.question ? dialogs.askYesNo(nullptr, c.caption, c.text) : (dialogs.showMessage(nullptr, c.caption, c.text), false);
            const std::string where = c.text.toStdString() + " in " + directory.toStdString();
            EXPECT_EQ(answer, c.answer) << where;
            EXPECT_EQ(seen.title, c.title) << where;
            EXPECT_EQ(seen.text, c.text) << where;
            EXPECT_EQ(seen.icon, QMessageBox::NoIcon) << where;
            EXPECT_EQ(seen.buttons, c.buttons) << where;
        }
    }
}

// Where the windows go on a desktop: frames as x, y, width, height; the main window's client area
// is 389 x 482 (its menu bar included), the picture window's 432 x 720.
TEST(Placement, BesideEachOtherOnTheFreeArea) {
    const struct {
        const char* desktop;
        QRect freeArea;
        QMargins frame;
        QRect form4, form1, form3, figure;
    } cases[] = {
        // The expected-values window's client area at the layout's (400, 347).
        {"openbox, 1280 x 800", {0, 0, 1280, 800}, {1, 20, 1, 5}, {0, 0, 391, 507}, {399, 10, 423, 309}, {399, 327, 424, 296}, {831, 0, 434, 745}},
        {"thick frames push them right and down, the picture narrower", {0, 0, 1280, 800}, {8, 31, 8, 8}, {0, 0, 405, 521}, {405, 0, 437, 323},
         {405, 323, 438, 310}, {843, 0, 437, 759}},
        {"a top panel and a left dock", {48, 30, 1232, 770}, {1, 20, 1, 5}, {48, 30, 391, 507}, {447, 40, 423, 309}, {447, 357, 424, 296},
         {879, 30, 401, 745}},
        {"1024 x 600: onto the screen, over the residuals", {0, 0, 1024, 600}, {1, 20, 1, 5}, {0, 0, 391, 507}, {399, 10, 423, 309},
         {399, 304, 424, 296}, {590, 0, 434, 600}},
        {"640 x 480: shifted left and up", {0, 0, 640, 480}, {1, 20, 1, 5}, {0, 0, 391, 507}, {217, 10, 423, 309}, {216, 184, 424, 296},
         {206, 0, 434, 480}},
        {"400 x 300: top left corners stay on", {0, 0, 400, 300}, {1, 20, 1, 5}, {0, 0, 391, 507}, {0, 0, 423, 309}, {0, 4, 424, 296},
         {0, 0, 400, 300}},
    };
    for (const auto& c : cases) {
        const QRect form4 = placeFrame(WindowId::Main, c.freeArea, QRect(QPoint(500, 500), QSize(389, 482).grownBy(c.frame)), c.frame);
        EXPECT_EQ(form4, c.form4) << c.desktop;
        EXPECT_EQ(placeFrame(WindowId::Residuals, c.freeArea, form4, c.frame), c.form1) << c.desktop;
        EXPECT_EQ(placeFrame(WindowId::ExpectedValues, c.freeArea, form4, c.frame), c.form3) << c.desktop;
        EXPECT_EQ(placeFrame(WindowId::Figure, c.freeArea, form4, c.frame), c.figure) << c.desktop;
    }
}

}  // namespace
}  // namespace tomokari

// A QApplication on the offscreen platform, so that no screen is needed.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
