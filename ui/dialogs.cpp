#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <utility>

#include "engine/texts.h"

namespace tomokari {

namespace {

// Runs a box with no icon, the program's title where the caption is empty, and buttons that read
// exactly as in the browser edition (Qt's Japanese translation writes "はい(&Y)").
QMessageBox::StandardButton runBox(QWidget* parent, const QString& caption, const QString& text,
                                   QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QString::fromUtf8(kProgramTitle) : caption, text, buttons,
                    parent);
    for (const auto& [which, label] : {std::pair{QMessageBox::Yes, kYesButton}, {QMessageBox::No, kNoButton}, {QMessageBox::Ok, kOkButton}}) {
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(label));
    }
    if (buttons & QMessageBox::Yes) box.setDefaultButton(QMessageBox::Yes);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

bool MessageBoxDialogs::askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    return runBox(parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text) {
    runBox(parent, caption, text, QMessageBox::Ok);
}

void MessageBoxDialogs::quitProgram() { QCoreApplication::quit(); }

}  // namespace tomokari
