#pragma once

// Plays scripts through tomokari-script and reads back what the windows show.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <string>
#include <vector>

namespace tomokari::golden {

// One JSON object printed by a `dump` line.
class Dump {
public:
    explicit Dump(QJsonObject state) : state_(std::move(state)) {}

    bool exited() const { return state_.value("exited").toBool(); }
    bool shown(const char* window) const { return windowObject(window).value("shown").toBool(); }
    std::string title(const char* window) const { return windowObject(window).value("title").toString().toStdString(); }

    // The text with CR LF folded to LF: widgets may report either.
    std::string text(const char* window, const QString& control) const {
        QString value = control_(window, control).value("text").toString();
        return value.replace(QLatin1String("\r\n"), QLatin1String("\n")).toStdString();
    }
    bool visible(const char* window, const QString& control) const {
        return control_(window, control).value("visible").toBool();
    }

    QJsonObject controls(const char* window) const { return windowObject(window).value("controls").toObject(); }
    QJsonObject windowObject(const char* window) const {
        return state_.value("windows").toObject().value(QLatin1String(window)).toObject();
    }
    QJsonArray messages() const { return state_.value("messages").toArray(); }
    QJsonArray questions() const { return state_.value("questions").toArray(); }

private:
    QJsonObject control_(const char* window, const QString& control) const {
        const QJsonObject all = controls(window);
        if (!all.contains(control)) ADD_FAILURE() << window << " has no control " << control.toStdString();
        return all.value(control).toObject();
    }

    QJsonObject state_;
};

// Line n (counted from 1) of a text whose lines are joined by LF.
inline std::string lineOf(const std::string& text, int n) {
    size_t start = 0;
    for (int i = 1; i < n && start != std::string::npos; ++i) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) return {};
    return text.substr(start, text.find('\n', start) - start);
}

inline QString mat1(int k) { return QStringLiteral("mat1(%1)").arg(k); }
inline QString ikei(int i) { return QStringLiteral("Ikei(%1)").arg(i); }
inline QString jkei(int j) { return QStringLiteral("Jkei(%1)").arg(j); }
inline QString gyolab(int i) { return QStringLiteral("Gyolab(%1)").arg(i); }
inline QString retlab(int j) { return QStringLiteral("Retlab(%1)").arg(j); }
inline int cellIndex(int row, int column) { return 5 * (row - 1) + (column - 1); }

// Builds a runner script line by line; the step names say which button they press.
class Script {
public:
    Script& line(const std::string& text) {
        text_ += text + "\n";
        return *this;
    }
    Script& type(const QString& control, const std::string& text) { return line("type " + control.toStdString() + " " + text); }
    Script& click(const std::string& button) { return line("click " + button); }
    Script& close(const std::string& window) { return line("close " + window); }
    Script& dump() { return line("dump"); }

    Script& ok() { return click("Command1"); }
    Script& totals() { return click("Command7"); }
    Script& test() { return click("Command5"); }

    // Types the size and presses OK.
    Script& size(const std::string& rows, const std::string& columns) {
        return type("Text12", rows).type("Text13", columns).ok();
    }
    // Types values row by row into the cells of a table `columns` wide.
    Script& cells(int columns, std::initializer_list<std::string> values) {
        int n = 0;
        for (const std::string& value : values) {
            type(mat1(cellIndex(n / columns + 1, n % columns + 1)), value);
            ++n;
        }
        return *this;
    }
    // The whole workflow up to the test step.
    Script& tested(int rows, int columns, std::initializer_list<std::string> values) {
        return size(std::to_string(rows), std::to_string(columns)).cells(columns, values).totals().test();
    }

    const std::string& text() const { return text_; }

private:
    std::string text_;
};

struct RunResult {
    int exitCode = -1;
    QString standardError;
    std::vector<Dump> dumps;
};

// Runs `program` with the script on standard input. Qt's own warnings are switched off,
// so that standard error holds only what the runner itself reports.
inline RunResult runRaw(const std::string& script, const QString& program = QStringLiteral(TOMOKARI_SCRIPT_PATH)) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false");
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("-")});
    RunResult result;
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return result;
    }
    process.write(QByteArray::fromStdString(script));
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the runner did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.standardError = QString::fromUtf8(process.readAllStandardError());
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            ADD_FAILURE() << "not a JSON object: " << line.toStdString();
            continue;
        }
        result.dumps.emplace_back(document.object());
    }
    return result;
}

// Runs a script that must succeed and returns its dumps.
inline std::vector<Dump> play(const Script& script) {
    RunResult result = runRaw(script.text());
    EXPECT_EQ(result.exitCode, 0) << result.standardError.toStdString() << "\nscript:\n" << script.text();
    return std::move(result.dumps);
}

// Runs a script with one dump appended and returns that dump.
inline Dump finalState(Script script) {
    std::vector<Dump> dumps = play(script.dump());
    if (dumps.empty()) return Dump(QJsonObject{});
    return dumps.back();
}

// What differs between two dumps in the given windows, one readable line per control;
// empty when the windows look the same.
inline std::string differences(const Dump& before, const Dump& after,
                               std::initializer_list<const char*> windows = {"Form4", "Form3", "Form1"}) {
    std::string report;
    if (before.exited() != after.exited()) report += "exited changed\n";
    if (before.messages() != after.messages()) report += "a message was shown\n";
    if (before.questions() != after.questions()) report += "a question was asked\n";
    for (const char* window : windows) {
        if (before.shown(window) != after.shown(window)) report += std::string(window) + " shown changed\n";
        if (before.title(window) != after.title(window)) report += std::string(window) + " title changed\n";
        QJsonObject a = before.controls(window);
        const QJsonObject b = after.controls(window);
        for (auto it = b.begin(); it != b.end(); ++it) {
            if (a.value(it.key()) == it.value()) continue;
            const QJsonObject was = a.value(it.key()).toObject(), is = it.value().toObject();
            report += std::string(window) + "." + it.key().toStdString() + ": '" +
                      was.value("text").toString().toStdString() + "' " + (was.value("visible").toBool() ? "visible" : "hidden") +
                      " -> '" + is.value("text").toString().toStdString() + "' " +
                      (is.value("visible").toBool() ? "visible" : "hidden") + "\n";
        }
        for (auto it = a.begin(); it != a.end(); ++it) {
            if (!b.contains(it.key())) report += std::string(window) + "." + it.key().toStdString() + " gone\n";
        }
    }
    return report;
}

// Every text of every control of every window, to scan for stray number forms.
inline std::vector<std::string> allTexts(const Dump& dump) {
    std::vector<std::string> texts;
    for (const char* window : {"Form4", "Form3", "Form1"}) {
        const QJsonObject controls = dump.controls(window);
        for (auto it = controls.begin(); it != controls.end(); ++it) {
            texts.push_back(it.key().toStdString() + ": " + it.value().toObject().value("text").toString().toStdString());
        }
    }
    return texts;
}

}  // namespace tomokari::golden
