// Keyboard use of the main window: the tab order follows the workflow, Enter in a size box
// presses OK, and F10 opens the menu bar.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include "ui/dialogs.h"
#include "ui/program.h"

namespace tomokari {
namespace {

class NoDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void showMessage(QWidget*, const QString&, const QString&) override {}
    void quitProgram() override {}
};

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(program_.startUp(QCoreApplication::applicationDirPath()).has_value());
        form4_.activateWindow();
        QApplication::setActiveWindow(&form4_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form4_));
    }

    // The names of the widgets that Tab visits, starting from `first`.
    QStringList tabWalk(const QString& first, int presses) {
        form4_.findChild<QWidget*>(first)->setFocus(Qt::TabFocusReason);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int n = 0; n < presses; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        return visited;
    }

    NoDialogs dialogs_;
    Program program_{dialogs_};
    MainWindow& form4_ = program_.mainWindow();
};

QStringList workflowOrder(bool withResidualAndPower) {
    QStringList order = {"Text12", "Text13", "Command1"};
    for (int k = 0; k < 20; ++k) order << QStringLiteral("mat1(%1)").arg(k);
    order << "Command7" << "Command5";
    if (withResidualAndPower) order << "Command3" << "Command8";
    order << "Command2" << "Command4" << "Command6" << "Text11" << "Text12";
    return order;
}

TEST_F(Keyboard, TabFollowsTheWorkflowAndSkipsHiddenButtons) {
    const QStringList expected = workflowOrder(false);
    EXPECT_EQ(tabWalk("Text12", static_cast<int>(expected.size()) - 1), expected);
}

TEST_F(Keyboard, EnterInASizeBoxPressesOkAndButtonsWorkFromTheKeyboard) {
    auto* rows = form4_.findChild<QLineEdit*>("Text12");
    auto* columns = form4_.findChild<QLineEdit*>("Text13");
    rows->setText("2");
    columns->setText("2");
    columns->setFocus();
    QTest::keyClick(columns, Qt::Key_Return);
    EXPECT_FALSE(form4_.findChild<QWidget*>("mat1(2)")->isVisibleTo(&form4_));
    EXPECT_TRUE(form4_.findChild<QWidget*>("mat1(6)")->isVisibleTo(&form4_));

    // Totals and test pressed with the space bar reveal the residual and power buttons,
    // which then take their places in the tab order.
    for (const char* button : {"Command7", "Command5"}) {
        form4_.findChild<QWidget*>(button)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    QStringList expected = workflowOrder(true);
    for (int k : {2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) expected.removeAll(QStringLiteral("mat1(%1)").arg(k));
    EXPECT_EQ(tabWalk("Text12", static_cast<int>(expected.size()) - 1), expected);
}

TEST_F(Keyboard, F10OpensTheMenuBar) {
    form4_.findChild<QWidget*>("mat1(0)")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    ASSERT_NE(form4_.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(form4_.menuBar()->activeAction()->objectName(), QStringLiteral("owari"));
}

}  // namespace
}  // namespace tomokari
