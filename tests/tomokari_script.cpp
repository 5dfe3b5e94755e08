// tomokari-script: plays a script of user actions against the real windows without a
// screen and prints what the windows show as JSON, for golden tests and outside checks.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <cstdio>
#include <deque>
#include <iostream>

#include "tests/script_escapes.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/program.h"
#include "ui/translation.h"

namespace tomokari {
namespace {

// Answers questions from the script's queue and records every box that was shown.
class ScriptDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        if (answers.empty()) {
            unanswered = text;
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        questions.append(QJsonObject{{"caption", caption}, {"text", text}, {"answer", yes ? "yes" : "no"}});
        return yes;
    }
    void showMessage(QWidget*, const QString& caption, const QString& text) override {
        messages.append(QJsonObject{{"caption", caption}, {"text", text}});
    }
    void quitProgram() override { exited = true; }

    std::deque<bool> answers;
    QString unanswered;  // the text of a question asked with no answer queued
    QJsonArray questions;
    QJsonArray messages;
    bool exited = false;
};

struct ScriptError {
    QString message;
};

QJsonObject dumpWindow(QWidget* window, bool exited) {
    QJsonObject controls;
    for (QObject* control : window->findChildren<QObject*>()) {
        if (!control->property("tomokariControl").toBool()) continue;
        QJsonObject entry;
        bool visible = true;
        if (auto* widget = qobject_cast<QWidget*>(control)) {
            visible = qobject_cast<QMenu*>(widget) ? static_cast<QMenu*>(widget)->menuAction()->isVisible()
                                                   : widget->isVisibleTo(window);
        } else if (auto* action = qobject_cast<QAction*>(control)) {
            visible = action->isVisible();
        }
        // A line is a bare frame and shows no text.
        if (control->metaObject() != &QFrame::staticMetaObject) entry.insert("text", controlText(control));
        entry.insert("visible", visible);
        controls.insert(control->objectName(), entry);
    }
    return QJsonObject{{"shown", !exited && window->isVisible()}, {"title", window->windowTitle()}, {"controls", controls}};
}

class Runner {
public:
    explicit Runner(Program& program, ScriptDialogs& dialogs)
        : program_(program), form4_(program.mainWindow()), dialogs_(dialogs) {}

    void run(const QString& line) {
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        const QString command = blank < 0 ? line : line.left(blank);
        const QString rest = blank < 0 ? QString() : line.mid(blank + 1);
        if (command == QLatin1String("type") || command == QLatin1String("paste")) {
            type(rest, command == QLatin1String("paste"));
        } else if (command == QLatin1String("copy")) {
            copy(rest);
        } else if (command == QLatin1String("click")) {
            click(rest);
        } else if (command == QLatin1String("menu")) {
            menu(rest);
        } else if (command == QLatin1String("answer")) {
            if (rest != QLatin1String("yes") && rest != QLatin1String("no")) throw ScriptError{"answer takes yes or no"};
            dialogs_.answers.push_back(rest == QLatin1String("yes"));
        } else if (command == QLatin1String("close")) {
            if (QWidget* window = windowNamed(rest); !dialogs_.exited) window->close();
        } else if (command == QLatin1String("dump")) {
            if (!rest.isEmpty()) throw ScriptError{"dump takes no argument"};
            dump();
        } else {
            throw ScriptError{"unknown command"};
        }
        QCoreApplication::processEvents();
        if (!dialogs_.unanswered.isNull()) throw ScriptError{"unanswered question: " + dialogs_.unanswered};
    }

private:
    void type(const QString& rest, bool paste) {
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        const QString name = blank < 0 ? rest : rest.left(blank);
        const QString text = blank < 0 ? QString() : fromCore(unescapeScriptText(rest.mid(blank + 1).toStdString()));
        auto* box = dynamic_cast<InputBox*>(form4_.findChild<QObject*>(name));
        if (!box) throw ScriptError{"unknown input box: " + name};
        if (dialogs_.exited) return;
        box->setFocus();
        box->selectAll();
        if (!paste) return box->insert(text);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }

    void copy(const QString& name) {
        QWidget* window = windowNamed(name);
        if (dialogs_.exited) return;
        QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
        if (auto* line = qobject_cast<QLineEdit*>(focus)) line->deselect();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    }

    void click(const QString& name) {
        auto* button = form4_.findChild<QPushButton*>(name);
        if (!button || !name.startsWith(QLatin1String("Command"))) throw ScriptError{"unknown button: " + name};
        if (dialogs_.exited) return;
        if (!button->isVisibleTo(&form4_)) throw ScriptError{"hidden button: " + name};
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void menu(const QString& name) {
        auto* action = form4_.findChild<QAction*>(name);
        if (!action || !action->property("tomokariControl").toBool()) throw ScriptError{"unknown menu item: " + name};
        if (dialogs_.exited) return;
        action->trigger();
    }

    QWidget* windowNamed(const QString& name) {
        for (const WindowLayout& layout : windowLayouts()) {
            if (name.toStdString() == layout.name) return &program_.window(layout.id);
        }
        throw ScriptError{"unknown window: " + name};
    }

    void dump() {
        const bool exited = dialogs_.exited;
        QJsonObject windows;
        for (const WindowLayout& layout : windowLayouts()) {
            windows.insert(QString::fromStdString(layout.name), dumpWindow(&program_.window(layout.id), exited));
        }
        const QJsonObject state{{"exited", exited},
                                {"windows", windows},
                                {"questions", dialogs_.questions},
                                {"messages", dialogs_.messages},
                                {"clipboard", QGuiApplication::clipboard()->text()}};
        const QByteArray json = QJsonDocument(state).toJson(QJsonDocument::Compact);
        std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    Program& program_;
    QWidget& form4_;
    ScriptDialogs& dialogs_;
};

QString readScript(int argc, char* argv[]) {
    QFile file;
    const bool fromStdin = argc < 2 || QByteArray(argv[1]) == "-";
    if (!fromStdin) file.setFileName(QString::fromLocal8Bit(argv[1]));
    if (fromStdin ? !file.open(stdin, QIODevice::ReadOnly) : !file.open(QIODevice::ReadOnly)) {
        std::cerr << "tomokari-script: cannot read the script " << (fromStdin ? "-" : argv[1]) << '\n';
        std::exit(2);
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace
}  // namespace tomokari

// Standard error carries only the runner's own error line: the platform's notes (no raise()
// offscreen, no runtime directory) are dropped.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

int main(int argc, char* argv[]) {
    using namespace tomokari;
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setFont(japaneseFont(9));
    const auto qtTexts = installQtTranslation();

    ScriptDialogs dialogs;
    Program program(dialogs);
    if (const auto failure = program.startUp(QCoreApplication::applicationDirPath())) {
        std::cerr << "tomokari-script: " << QString(*failure).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString()
                  << '\n';
        return 1;
    }

    const QStringList lines = readScript(argc, argv).split(QLatin1Char('\n'));
    Runner runner(program, dialogs);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        try {
            runner.run(line);
        } catch (const ScriptError& error) {
            std::cerr << "tomokari-script: line " << (n + 1) << ": " << error.message.toStdString() << ": "
                      << line.toStdString() << '\n';
            return 2;
        }
    }
    return 0;
}
