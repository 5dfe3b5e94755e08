// The least a Qt Widgets program does to start: create the application, show one empty main
// window, and end on the first turn of the event loop.
//   --text  shows one line of Japanese text in the window, in the Gothic faces tomokari asks
//           for: what any window with Japanese text costs on top (font database, FreeType,
//           HarfBuzz, the face itself).
//   --stay  keeps running, so that the time until the window is mapped can be measured under X.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <cstring>

int main(int argc, char* argv[]) {
    bool stay = false;
    bool text = false;
    for (int i = 1; i < argc; ++i) {
        stay = stay || std::strcmp(argv[i], "--stay") == 0;
        text = text || std::strcmp(argv[i], "--text") == 0;
    }
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal window"));
    if (text) {
        QFont font;
        font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
        font.setPointSizeF(9);
        app.setFont(font);
        window.setCentralWidget(new QLabel(QStringLiteral("クロス表の行数と列数を入力してください。χ2 = 12.34")));
    }
    window.show();
    if (!stay) QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
