#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "engine/texts.h"

namespace tomokari {

bool MessageBoxDialogs::askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QString::fromUtf8(kProgramTitle) : caption, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QString::fromUtf8(kProgramTitle) : caption, text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void MessageBoxDialogs::quitProgram() { QCoreApplication::quit(); }

}  // namespace tomokari
