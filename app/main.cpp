#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "engine/texts.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/program.h"
#include "ui/translation.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setFont(tomokari::japaneseFont(9));
    const auto qtTexts = tomokari::installQtTranslation();
    tomokari::MessageBoxDialogs dialogs;
    tomokari::Program program(dialogs);
    if (const auto failure = program.startUp(QCoreApplication::applicationDirPath())) {
        // Also on standard error, for a start from a terminal or a launcher's log.
        std::fprintf(stderr, "tomokari: %s\n", failure->toUtf8().constData());
        dialogs.showMessage(nullptr, QString::fromUtf8(tomokari::kProgramTitle), *failure);
        return 1;
    }
#ifdef TOMOKARI_QUIT_WHEN_STARTED
    // bench/startup.sh times a whole start: up to the first turn of the event loop, then out.
    // Not quit(), which closes the windows first, and the main window asks before it closes.
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
#endif
    return app.exec();
}
