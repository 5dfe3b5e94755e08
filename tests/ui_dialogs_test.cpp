// The real message boxes behind the question seam: two buttons, no icon, Yes the default,
// and the program's title where a question has no caption of its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "ui/dialogs.h"
#include "engine/texts.h"

namespace tomokari {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Looks at the box once it is open, then presses `press` on it.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        box->button(press)->click();
    });
}

TEST(MessageBoxDialogs, QuestionsHaveYesAndNoWithYesTheDefault) {
    MessageBoxDialogs dialogs;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(dialogs.askYesNo(nullptr, QStringLiteral("トモカリ ポルテノ"), QStringLiteral("終了しますか？")));
    EXPECT_EQ(seen.title, QStringLiteral("トモカリ ポルテノ"));
    EXPECT_EQ(seen.text, QStringLiteral("終了しますか？"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);

    answerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(dialogs.askYesNo(nullptr, QString(), QStringLiteral("マス目の度数データをクリアしますか？")));
    EXPECT_EQ(seen.title, QString::fromUtf8(kProgramTitle));
}

TEST(MessageBoxDialogs, MessagesHaveOnlyAnOkButton) {
    MessageBoxDialogs dialogs;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);
    dialogs.showMessage(nullptr, QString(), QStringLiteral("数表ファイルが見つかりません。"));
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.title, QString::fromUtf8(kProgramTitle));
}

}  // namespace
}  // namespace tomokari
