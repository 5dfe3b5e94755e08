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
#include <map>
#include <string>

#include "tests/script_line.h"
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

    void run(const ScriptLine& line) {
        using Command = void (Runner::*)(const ScriptLine&);
        static const std::map<std::string, Command, std::less<>> kCommands = {
            {"type", &Runner::type}, {"paste", &Runner::paste}, {"click", &Runner::click}, {"menu", &Runner::menu},
            {"answer", &Runner::answer}, {"close", &Runner::close}, {"copy", &Runner::copy}, {"dump", &Runner::dump},
        };
        const auto command = kCommands.find(line.command);
        if (command == kCommands.end()) throw ScriptError{"unknown command"};
        (this->*command->second)(line);
        QCoreApplication::processEvents();
        if (!dialogs_.unanswered.isNull()) throw ScriptError{"unanswered question: " + dialogs_.unanswered};
    }

private:
    InputBox& inputBox(const ScriptLine& line) {
        auto* box = dynamic_cast<InputBox*>(form4_.findChild<QObject*>(QString::fromStdString(line.box)));
        if (!box) throw ScriptError{"unknown input box: " + QString::fromStdString(line.box)};
        box->setFocus();
        box->selectAll();
        return *box;
    }

    void type(const ScriptLine& line) {
        InputBox& box = inputBox(line);
        if (!dialogs_.exited) box.insert(fromCore(line.text));
    }

    void paste(const ScriptLine& line) {
        InputBox& box = inputBox(line);
        if (dialogs_.exited) return;
        QGuiApplication::clipboard()->setText(fromCore(line.text));
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    }

    void copy(const ScriptLine& line) {
        QWidget* window = windowNamed(line.rest);
        if (dialogs_.exited) return;
        QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
        if (auto* box = qobject_cast<QLineEdit*>(focus)) box->deselect();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    }

    void click(const ScriptLine& line) {
        const QString name = QString::fromStdString(line.rest);
        auto* button = form4_.findChild<QPushButton*>(name);
        if (!button || !name.startsWith(QLatin1String("Command"))) throw ScriptError{"unknown button: " + name};
        if (dialogs_.exited) return;
        if (!button->isVisibleTo(&form4_)) throw ScriptError{"hidden button: " + name};
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void menu(const ScriptLine& line) {
        const QString name = QString::fromStdString(line.rest);
        auto* action = form4_.findChild<QAction*>(name);
        if (!action || !action->property("tomokariControl").toBool()) throw ScriptError{"unknown menu item: " + name};
        if (!dialogs_.exited) action->trigger();
    }

    void answer(const ScriptLine& line) {
        if (line.rest != "yes" && line.rest != "no") throw ScriptError{"answer takes yes or no"};
        dialogs_.answers.push_back(line.rest == "yes");
    }

    void close(const ScriptLine& line) {
        if (QWidget* window = windowNamed(line.rest); !dialogs_.exited) window->close();
    }

    QWidget* windowNamed(const std::string& name) {
        for (const WindowLayout& layout : windowLayouts()) {
            if (name == layout.name) return &program_.window(layout.id);
        }
        throw ScriptError{"unknown window: " + QString::fromStdString(name)};
    }

    void dump(const ScriptLine& line) {
        if (!line.rest.empty()) throw ScriptError{"dump takes no argument"};
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
            runner.run(readScriptLine(line.toStdString()));
        } catch (const ScriptError& error) {
            std::cerr << "tomokari-script: line " << (n + 1) << ": " << error.message.toStdString() << ": "
                      << line.toStdString() << '\n';
            return 2;
        }
    }
    return 0;
}
