// tomokari-script: plays a script of user actions against the real windows without a
// screen and prints what the windows show as JSON, for golden tests and outside checks.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <deque>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

#include "tests/script_line.h"
#include "tests/state.h"
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
        questions.push_back({caption.toStdString(), text.toStdString(), yes ? "yes" : "no"});
        return yes;
    }
    void showMessage(QWidget*, const QString& caption, const QString& text) override {
        messages.push_back({caption.toStdString(), text.toStdString(), ""});
    }
    void quitProgram() override { exited = true; }

    std::deque<bool> answers;
    QString unanswered;  // the text of a question asked with no answer queued
    std::vector<BoxFact> questions, messages;
    bool exited = false;
};

struct ScriptError {
    QString message;
};

// What a window shows, control by control in the layout's order, as the core's state has it.
WindowFact windowFact(const WindowLayout& layout, QWidget& window, bool exited) {
    WindowFact fact{layout.name, window.windowTitle().toStdString(), !exited && window.isVisible(), {}, {}};
    for (const ControlLayout& control : layout.controls) {
        QObject* object = window.findChild<QObject*>(QString::fromStdString(control.name));
        bool visible = true;
        if (auto* menu = qobject_cast<QMenu*>(object)) visible = menu->menuAction()->isVisible();
        else if (auto* widget = qobject_cast<QWidget*>(object)) visible = widget->isVisibleTo(&window);
        else if (auto* action = qobject_cast<QAction*>(object)) visible = action->isVisible();
        const bool hasText = control.kind != ControlKind::Line && control.kind != ControlKind::Picture;
        fact.controls.push_back({control.name, hasText, hasText ? controlText(object).toStdString() : "", visible});
    }
    if (auto* figure = dynamic_cast<FigureWindow*>(&window)) fact.values = figure->values();
    return fact;
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
        QAction* action = nullptr;
        try {
            action = qobject_cast<QAction*>(program_.mainWindow().controls().find(line.rest));
        } catch (const std::out_of_range&) {}
        if (!action) throw ScriptError{"unknown menu item: " + QString::fromStdString(line.rest)};
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
        State state{dialogs_.exited, {}, dialogs_.questions, dialogs_.messages, QGuiApplication::clipboard()->text().toStdString()};
        for (const WindowLayout& layout : windowLayouts()) state.windows.push_back(windowFact(layout, program_.window(layout.id), dialogs_.exited));
        std::cout << stateJson(state) << std::endl;
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
