#include <QApplication>
#include <cstdio>

#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form4.h"
#include "ui/texts.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setFont(tomokari::japaneseFont(9));
    tomokari::MessageBoxDialogs dialogs;
    tomokari::Form4 mainWindow(dialogs);
    if (const auto failure = mainWindow.startUp(QCoreApplication::applicationDirPath())) {
        // Also on standard error, for a start from a terminal or a launcher's log.
        std::fprintf(stderr, "tomokari: %s\n", failure->toUtf8().constData());
        dialogs.showMessage(nullptr, QString::fromUtf8(tomokari::kProgramTitle), *failure);
        return 1;
    }
    return app.exec();
}
