// tomokari-record: records the expectations of the recorded scripts again, as the scripted runner
// beside it plays them through the windows, and prints the lines that changed.
//   tomokari-record DIR [SCRIPT...]    every .script under DIR unless scripts are named
// DIR/start-up.state gets the whole state at start-up; each script, after each "dump" line, what
// changed since the dump before ("#= " lines), and at the end the runner's error ("#! " lines).

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <iostream>

#include "engine/layout.h"
#include "tests/state.h"

namespace tomokari {
namespace {

State fromJson(const QByteArray& line) {
    const QJsonObject dump = QJsonDocument::fromJson(line).object();
    State state;
    state.exited = dump["exited"].toBool();
    state.clipboard = dump["clipboard"].toString().toStdString();
    for (const WindowLayout& layout : windowLayouts()) {
        const QJsonObject window = dump["windows"][QString::fromStdString(layout.name)].toObject();
        WindowFact& fact = state.windows.emplace_back(
            WindowFact{layout.name, window["title"].toString().toStdString(), window["shown"].toBool(), {}});
        for (const ControlLayout& control : layout.controls) {
            const QJsonObject shown = window["controls"][QString::fromStdString(control.name)].toObject();
            fact.controls.push_back({control.name, shown.contains("text"), shown["text"].toString().toStdString(), shown["visible"].toBool()});
        }
    }
    for (const auto& [key, list] : {std::pair{"questions", &state.questions}, {"messages", &state.messages}}) {
        for (const QJsonValue& box : dump[key].toArray()) {
            list->push_back({box["caption"].toString().toStdString(), box["text"].toString().toStdString(), box["answer"].toString().toStdString()});
        }
    }
    return state;
}

struct Run {
    std::vector<State> dumps;
    std::vector<std::string> error;
};

Run run(const QString& runner, const QString& script, const QByteArray& input = {}) {
    QProcess process;
    process.start(runner, {script});
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    Run result;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty()) result.dumps.push_back(fromJson(line));
    }
    if (process.exitCode() != 0) {
        result.error.push_back("exit " + std::to_string(process.exitCode()));
        for (QByteArray line : process.readAllStandardError().split('\n')) {
            if (!line.isEmpty()) result.error.push_back(line.replace("tomokari-script: ", "").toStdString());
        }
    }
    return result;
}

// Writes `text` to `path` and prints the lines that went and came, under the file's name.
void update(const QString& path, const std::string& text) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray before = file.readAll();
    file.close();
    if (before.toStdString() == text) return;
    std::vector<std::string> old, now;
    for (const QByteArray& line : before.split('\n')) old.push_back(line.toStdString());
    for (const QByteArray& line : QByteArray::fromStdString(text).split('\n')) now.push_back(line.toStdString());
    std::cout << "--- " << path.toStdString() << '\n';
    for (const std::string& line : old) {
        if (std::find(now.begin(), now.end(), line) == now.end()) std::cout << "- " << line << '\n';
    }
    for (const std::string& line : now) {
        if (std::find(old.begin(), old.end(), line) == old.end()) std::cout << "+ " << line << '\n';
    }
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::fromStdString(text));
}

}  // namespace
}  // namespace tomokari

int main(int argc, char* argv[]) {
    using namespace tomokari;
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: tomokari-record DIR [SCRIPT...]\n";
        return 2;
    }
    const QString runner = QCoreApplication::applicationDirPath() + "/tomokari-script";
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const State startUp = run(runner, "-", "dump\n").dumps.at(0);
    std::string header = "# What the windows show at start-up; every recorded script starts from here.\n";
    for (const std::string& line : changeLines(State{}, startUp, true)) header += line + "\n";
    update(dir + "/start-up.state", header);

    QStringList scripts;
    for (int a = 2; a < argc; ++a) scripts << QString::fromLocal8Bit(argv[a]);
    for (QDirIterator found(dir, {"*.script"}, QDir::Files, QDirIterator::Subdirectories); argc == 2 && found.hasNext();) {
        scripts << found.next();
    }
    scripts.sort();
    for (const QString& path : scripts) {
        const Run result = run(runner, path);
        Expectations expected{{}, result.error};
        const State* before = &startUp;
        for (const State& state : result.dumps) {
            expected.dumps.push_back(changeLines(*before, state));
            before = &state;
        }
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        update(path, withExpectations(file.readAll().toStdString(), expected));
    }
    return 0;
}
