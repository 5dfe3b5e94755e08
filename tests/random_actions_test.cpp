// Random sequences of user actions from fixed seeds, played through tomokari-script with a
// dump after every action; each step is checked against the one before it.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "golden_support.h"

namespace tomokari::golden {
namespace {

const char* const kTitle = "トモカリ ポルテノ";
const char* const kWindows[] = {"Form4", "Form3", "Form1"};
constexpr int kActionsPerScript = 60;
constexpr unsigned kFirstSeed = 1;
constexpr unsigned kScriptCount = 40;
constexpr int kMaxReportsPerScript = 12;  // later reports of one script mostly repeat the first

enum class Kind { TypeSize, TypeCell, Ok, SizeClear, Totals, Test, Residuals, Power, DataClear, Exit, Menu, Close };

struct Action {
    Action(Kind k, std::vector<std::string> l = {}) : kind(k), lines(std::move(l)) {}

    Kind kind;
    std::vector<std::string> lines;  // the script lines, without the dump that follows them
    int cell = -1;                   // TypeCell
    std::string box;                 // TypeSize: Text12 or Text13; Close: the window; Menu: the item
    std::string text;                // what a type action puts into the box, unescaped
    bool yes = false;                // DataClear and Exit: the queued answer
};

std::string describe(const Action& action) {
    std::string joined;
    for (const std::string& line : action.lines) joined += (joined.empty() ? "" : " / ") + line;
    return joined;
}

// The runner reads \t, \n and \\ as escapes.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

// Portable across standard libraries, unlike the std:: distributions.
class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    unsigned below(unsigned n) { return static_cast<unsigned>(engine_() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <typename T, size_t N>
    const T& pick(const std::array<T, N>& items) { return items[below(N)]; }

private:
    std::mt19937 engine_;
};

// --- What the size boxes read as ---------------------------------------------------------

enum class SizeReading { Valid, Invalid, Open };

// The number each generated size entry stands for; nullopt where that reading is the
// program's own choice (full-width digits).
std::optional<double> sizeNumber(const std::string& text) {
    static const std::vector<std::pair<std::string, double>> known = {
        {"", 0},  {"?", 0}, {"abc", 0}, {"0", 0},  {"1", 1},    {"2", 2},    {"3", 3},   {"4", 4},
        {"5", 5}, {"6", 6}, {" 3", 3},  {"-1", -1}, {"2.5", 2.5}, {"4abc", 4}, {"5x", 5}};
    for (const auto& [entry, value] : known) {
        if (entry == text) return value;
    }
    return std::nullopt;
}

SizeReading sizeReading(const std::string& rows, const std::string& columns) {
    const std::optional<double> r = sizeNumber(rows), c = sizeNumber(columns);
    auto whole = [](double v) { return v == static_cast<double>(static_cast<long long>(v)); };
    const bool rowsBad = r && (!whole(*r) || *r < 1 || *r > 4);
    const bool columnsBad = c && (!whole(*c) || *c < 2 || *c > 5);
    if (rowsBad || columnsBad) return SizeReading::Invalid;
    if (r && c) return SizeReading::Valid;
    return SizeReading::Open;
}

// --- Generation ------------------------------------------------------------------------------

const std::array<const char*, 9> kOddRows = {"", "0", "5", "2.5", "abc", "２", " 3", "-1", "4abc"};
const std::array<const char*, 8> kOddColumns = {"", "1", "6", "2.5", "abc", "２", " 3", "5x"};
const std::array<const char*, 22> kOddCells = {
    "",    "abc", "-3",  "0.1",   "1e2",      "1e39", "1e-45", "9999999999", "3 4",   "１２", "－３",
    "２．５", "　",  "\t5", "7\n", "1\t2\n3", "12abc", " 8 ",  "2.5",        "0",     "1E2",  "-0"};
const std::array<const char*, 11> kMenuItems = {"tsukaikata", "setsumei_hyouji", "setsumei_modoru", "tekigoudo",
                                                "dokuritsusei", "zansabunseki", "Yates", "Fisher",
                                                "setsumei_modoru2", "kenteiryoku", "modoruken"};

std::string scriptOf(const std::vector<Action>& actions, size_t count, bool dumpEach) {
    std::string script = dumpEach ? "dump\n" : "";
    for (size_t i = 0; i < count && i < actions.size(); ++i) {
        for (const std::string& line : actions[i].lines) script += line + "\n";
        if (dumpEach) script += "dump\n";
    }
    if (!dumpEach) script += "dump\n";
    return script;
}

// Draws actions with weights. Which of the two hidden-at-start buttons can be pressed is
// learnt by playing the script so far, only when a draw needs it and the answer may have
// changed (a test step since the last look).
class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::vector<Action> run() {
        while (actions_.size() < static_cast<size_t>(kActionsPerScript)) {
            const Action action = draw();
            actions_.push_back(action);
            if (action.kind == Kind::Exit && action.yes) break;  // the program has ended
        }
        return actions_;
    }

private:
    Action draw() {
        // The workflow steps are favoured right after the step before them, so that many
        // scripts get as far as the residual and power steps.
        enum { Cell, Size, Ok, SizeClear, Totals, Test, Residuals, Power, DataClear, Exit, Menu, Close, Count };
        std::array<unsigned, Count> weights = {28, 7, 7, 2, 8, 8, 8, 6, 3, 3, 13, 3};
        if (lastStep_ == Kind::Ok) weights[Totals] += 16;
        if (lastStep_ == Kind::Totals) weights[Test] += 16;
        // After a refused size both boxes show "?": both must be typed again.
        if (sizeReading(enteredRows_, enteredColumns_) != SizeReading::Valid) weights[Size] += 14;
        unsigned total = 0;
        for (unsigned w : weights) total += w;
        for (;;) {
            unsigned roll = random_.below(total);
            int choice = 0;
            while (roll >= weights[choice]) roll -= weights[choice++];
            switch (choice) {
                case Cell: return typeCell();
                case Size: return typeSize();
                case Ok:
                    residualButton_ = false;
                    lastStep_ = Kind::Ok;
                    // The shape is followed only to aim most cell entries at the table in use.
                    if (sizeReading(enteredRows_, enteredColumns_) == SizeReading::Valid) {
                        rows_ = static_cast<unsigned>(*sizeNumber(enteredRows_));
                        columns_ = static_cast<unsigned>(*sizeNumber(enteredColumns_));
                    } else if (sizeReading(enteredRows_, enteredColumns_) == SizeReading::Invalid) {
                        enteredRows_ = enteredColumns_ = "?";
                    }
                    return plain(Kind::Ok, "click Command1");
                case SizeClear:
                    enteredRows_.clear(), enteredColumns_.clear();
                    return plain(Kind::SizeClear, "click Command2");
                case Totals: lastStep_ = Kind::Totals; return plain(Kind::Totals, "click Command7");
                case Test:
                    lastStep_ = Kind::Test;
                    residualButton_.reset();
                    if (powerButton_ != true) powerButton_.reset();
                    return plain(Kind::Test, "click Command5");
                case Residuals:
                    if (buttonShown(residualButton_)) return plain(Kind::Residuals, "click Command3");
                    continue;
                case Power:
                    if (buttonShown(powerButton_)) return plain(Kind::Power, "click Command8");
                    continue;
                case DataClear: {
                    Action action = plain(Kind::DataClear, "click Command4");
                    action.yes = random_.chance(40);
                    action.lines.insert(action.lines.begin(), action.yes ? "answer yes" : "answer no");
                    return action;
                }
                case Exit: return exit();
                case Menu: {
                    const std::string item = random_.pick(kMenuItems);
                    Action action = plain(Kind::Menu, "menu " + item);
                    action.box = item;
                    return action;
                }
                default: {
                    const std::string window = random_.chance(50) ? "Form3" : "Form1";
                    Action action = plain(Kind::Close, "close " + window);
                    action.box = window;
                    return action;
                }
            }
        }
    }

    static Action plain(Kind kind, const std::string& line) { return Action{kind, {line}}; }

    Action typeCell() {
        Action action(Kind::TypeCell);
        // Mostly the cells of the table in use; now and then a hidden one.
        if (random_.chance(75)) {
            action.cell = static_cast<int>(5 * random_.below(rows_) + random_.below(columns_));
        } else {
            action.cell = static_cast<int>(random_.below(20));
        }
        const unsigned kind = random_.below(100);
        if (kind < 62) {
            action.text = std::to_string(random_.below(61));
        } else if (kind < 75) {
            action.text = std::to_string(1 + random_.below(9));
        } else if (kind < 78) {
            // Mostly within single precision; a few beyond it, and a few beyond double precision.
            const unsigned roll = random_.below(10);
            const unsigned length = roll < 6   ? 11 + random_.below(28)
                                    : roll < 9 ? 39 + random_.below(30)
                                               : 309 + random_.below(60);
            action.text = "1";
            for (unsigned i = 1; i < length; ++i) action.text += static_cast<char>('0' + random_.below(10));
        } else {
            action.text = random_.pick(kOddCells);
        }
        action.lines = {"type " + mat1(action.cell).toStdString() + " " + escaped(action.text)};
        return action;
    }

    Action typeSize() {
        Action action(Kind::TypeSize);
        const bool rows = random_.chance(50);
        action.box = rows ? "Text12" : "Text13";
        if (random_.chance(70)) {
            action.text = std::to_string(random_.below(4) + (rows ? 1 : 2));
        } else {
            action.text = rows ? random_.pick(kOddRows) : random_.pick(kOddColumns);
        }
        (rows ? enteredRows_ : enteredColumns_) = action.text;
        action.lines = {"type " + action.box + " " + escaped(action.text)};
        return action;
    }

    Action exit() {
        const unsigned way = random_.below(3);
        Action action(Kind::Exit);
        // Only the two commands end a script; closing the main window is always declined.
        action.yes = way < 2 && random_.chance(6);
        action.lines = {action.yes ? "answer yes" : "answer no",
                        way == 0 ? "click Command6" : way == 1 ? "menu owari" : "close Form4"};
        return action;
    }

    bool buttonShown(const std::optional<bool>& known) {
        if (!known) {
            const RunResult result = runRaw(scriptOf(actions_, actions_.size(), false));
            const bool played = result.exitCode == 0 && !result.dumps.empty();
            residualButton_ = played && result.dumps.back().visible("Form4", "Command3");
            powerButton_ = played && result.dumps.back().visible("Form4", "Command8");
        }
        return *known;
    }

    Random random_;
    std::vector<Action> actions_;
    std::optional<bool> residualButton_ = false;
    std::optional<bool> powerButton_ = false;
    std::string enteredRows_ = "4", enteredColumns_ = "5";
    unsigned rows_ = 4, columns_ = 5;
    std::optional<Kind> lastStep_;  // the last of OK, totals and test drawn
};

// --- Checking --------------------------------------------------------------------------------

QString rawText(const Dump& dump, const char* window, const QString& control) {
    return dump.controls(window).value(control).toObject().value("text").toString();
}

// Every key that differs: "Form4.mat1(3)" for a control, "Form3:shown", "messages", ...
std::set<std::string> changedKeys(const Dump& before, const Dump& after) {
    std::set<std::string> keys;
    if (before.exited() != after.exited()) keys.insert("exited");
    if (before.messages() != after.messages()) keys.insert("messages");
    if (before.questions() != after.questions()) keys.insert("questions");
    for (const char* window : kWindows) {
        const std::string name = window;
        if (before.shown(window) != after.shown(window)) keys.insert(name + ":shown");
        if (before.title(window) != after.title(window)) keys.insert(name + ":title");
        const QJsonObject a = before.controls(window), b = after.controls(window);
        for (auto it = b.begin(); it != b.end(); ++it) {
            if (a.value(it.key()) != it.value()) keys.insert(name + "." + it.key().toStdString());
        }
        for (auto it = a.begin(); it != a.end(); ++it) {
            if (!b.contains(it.key())) keys.insert(name + "." + it.key().toStdString());
        }
    }
    return keys;
}

bool startsWithAny(const std::string& key, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes) {
        if (key.starts_with(prefix)) return true;
    }
    return false;
}

// Where each kind of action may leave a trace; everything else must stay as it was.
bool mayChange(const Action& action, const std::string& key) {
    switch (action.kind) {
        case Kind::TypeCell: return key == "Form4." + mat1(action.cell).toStdString();
        case Kind::TypeSize: return key == "Form4." + action.box;
        case Kind::SizeClear: return key == "Form4.Text12" || key == "Form4.Text13";
        case Kind::Menu: return key == "Form4.Text11";
        case Kind::Close: return startsWithAny(key, {(action.box + ".").c_str(), (action.box + ":").c_str()});
        case Kind::DataClear: return key == "questions" || (action.yes && key.starts_with("Form4.mat1("));
        case Kind::Exit: return key == "questions" || action.yes;
        case Kind::Power: return key == "Form4.Text11" || key == "messages";
        case Kind::Residuals: return startsWithAny(key, {"Form4.Text11", "messages", "Form1."}) || key == "Form1:shown";
        case Kind::Totals:
            return startsWithAny(key, {"Form4.Text11", "Form4.Ikei(", "Form4.Jkei(", "Form4.Text10", "Form3."}) ||
                   key == "Form3:shown";
        case Kind::Test:
            return startsWithAny(key, {"Form4.Text11", "Form4.Command3", "Form4.Command8", "Form3.", "Form1."}) ||
                   key == "Form3:shown" || key == "Form1:shown";
        case Kind::Ok:
            return startsWithAny(key, {"Form4.Text11", "Form4.Text12", "Form4.Text13", "Form4.mat1(", "Form4.Ikei(",
                                       "Form4.Jkei(", "Form4.Gyolab(", "Form4.Retlab(", "Form4.Command3", "Form3.",
                                       "Form1."}) ||
                   key == "Form1:shown";
    }
    return false;
}

bool looksNonFinite(const QString& text) {
    return text.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("inf"), Qt::CaseInsensitive);
}

// Texts shown anywhere (controls, questions, messages) that spell a non-finite number.
std::vector<std::string> nonFiniteTexts(const Dump& dump) {
    std::vector<std::string> found;
    for (const char* window : kWindows) {
        const QJsonObject controls = dump.controls(window);
        for (auto it = controls.begin(); it != controls.end(); ++it) {
            const QString text = it.value().toObject().value("text").toString();
            if (looksNonFinite(text)) found.push_back(std::string(window) + "." + it.key().toStdString() + ": " +
                                                      text.toStdString());
        }
    }
    for (const QJsonArray& boxes : {dump.messages(), dump.questions()}) {
        for (const QJsonValue& box : boxes) {
            const QString text = box.toObject().value("text").toString();
            if (looksNonFinite(text)) found.push_back("box: " + text.toStdString());
        }
    }
    return found;
}

std::string quoted(const QString& text) { return "'" + escaped(text.toStdString()) + "'"; }

class Checker {
public:
    Checker(unsigned seed, const std::vector<Action>& actions) : seed_(seed), actions_(actions) {
        for (int k = 0; k < 20; ++k) cells_[k] = QString::number(10 * (k / 5 + 1) + k % 5 + 1);
    }

    void run() {
        const RunResult result = runRaw(scriptOf(actions_, actions_.size(), true));
        if (result.exitCode != 0 || result.dumps.size() != actions_.size() + 1) {
            // Each completed action left its dump, so the count names the action it stopped at.
            report(std::min(result.dumps.size(), actions_.size()),
                   "the runner exited with " + std::to_string(result.exitCode) + " after " +
                       std::to_string(result.dumps.size()) + " dumps: " + result.standardError.toStdString());
        }
        if (result.dumps.empty()) return;
        restoreText_ = rawText(result.dumps[0], "Form4", "Text11");
        checkStart(result.dumps[0]);
        for (size_t i = 0; i + 1 < result.dumps.size() && i < actions_.size(); ++i) {
            step(i, result.dumps[i], result.dumps[i + 1]);
        }
    }

private:
    void checkStart(const Dump& start) {
        for (int k = 0; k < 20; ++k) {
            if (rawText(start, "Form4", mat1(k)) != cells_[k]) report(0, "start-up cell " + std::to_string(k));
        }
        if (rawText(start, "Form4", "Text12") != rows_ || rawText(start, "Form4", "Text13") != columns_) {
            report(0, "start-up size boxes");
        }
        if (start.visible("Form4", "Command3") || start.visible("Form4", "Command8")) {
            report(0, "a later step's button is visible at start-up");
        }
        checkFinite(0, start);
    }

    void step(size_t i, const Dump& before, const Dump& after) {
        const Action& action = actions_[i];
        const size_t n = i + 1;  // actions are counted from 1 in reports; 0 is the start-up state
        checkFinite(n, after);
        const std::set<std::string> changed = changedKeys(before, after);

        for (const std::string& key : changed) {
            if (!mayChange(action, key)) report(n, "changed " + key + differenceOf(before, after, key));
        }

        // The model of what the user typed, and the flags that guard the later steps.
        switch (action.kind) {
            case Kind::TypeCell: cells_[action.cell] = QString::fromStdString(action.text); break;
            case Kind::TypeSize:
                (action.box == "Text12" ? rows_ : columns_) = QString::fromStdString(action.text);
                break;
            case Kind::SizeClear: rows_.clear(), columns_.clear(); break;
            case Kind::DataClear:
                if (action.yes) {
                    for (QString& cell : cells_) cell.clear();
                }
                break;
            case Kind::Ok:
                if (pressOk(n, after)) {
                    expectExplanation(n, after, "after a valid OK");
                } else if (rawText(after, "Form4", "Text11") != rawText(before, "Form4", "Text11")) {
                    report(n, "a refused size changed the explanation area");
                }
                break;
            case Kind::Totals:
                totalsSinceOk_ = true;
                expectExplanation(n, after, "after the totals step");
                break;
            case Kind::Menu: chooseScreen(n, action.box, before, after); break;
            case Kind::Test:
                // The header it writes is what later restores bring back.
                if (everValidSize_ && totalsSinceOk_) restoreText_ = rawText(after, "Form4", "Text11");
                [[fallthrough]];
            case Kind::Power:
                if (!everValidSize_ || !totalsSinceOk_) {
                    if (!changed.empty()) {
                        report(n, std::string(action.kind == Kind::Test ? "the test" : "the power") +
                                      " step acted without " + (everValidSize_ ? "new totals" : "a valid size") +
                                      ":\n" + differences(before, after));
                    }
                }
                break;
            default: break;
        }

        checkCells(n, after);
        checkSizeBoxes(n, after);
        checkButtons(n, action, before, after);
        checkBoxes(n, action, before, after);
        if (action.kind == Kind::Exit && action.yes) {
            if (!after.exited()) report(n, "the program did not end after a confirmed exit");
            for (const char* window : kWindows) {
                if (after.shown(window)) report(n, std::string(window) + " is still shown after the exit");
            }
        }
    }

    // Whether the size was taken.
    bool pressOk(size_t n, const Dump& after) {
        totalsSinceOk_ = false;
        bool accepted = false;
        const bool marked = rawText(after, "Form4", "Text12") == "?" && rawText(after, "Form4", "Text13") == "?";
        switch (sizeReading(rows_.toStdString(), columns_.toStdString())) {
            case SizeReading::Valid:
                if (marked) {
                    report(n, "a valid size " + quoted(rows_) + " x " + quoted(columns_) + " was refused");
                    rows_ = columns_ = QStringLiteral("?");
                } else {
                    everValidSize_ = accepted = true;
                }
                break;
            case SizeReading::Invalid:
                if (!marked) {
                    report(n, "an invalid size " + quoted(rows_) + " x " + quoted(columns_) + " was not marked");
                }
                rows_ = columns_ = QStringLiteral("?");
                break;
            case SizeReading::Open:  // the program decides; it must decide for both boxes at once
                if (marked) {
                    rows_ = columns_ = QStringLiteral("?");
                } else {
                    everValidSize_ = accepted = true;
                }
                break;
        }
        if (after.shown("Form1")) report(n, "the residuals window is shown right after OK");
        if (after.visible("Form4", "Command3")) report(n, "the residual button is visible right after OK");
        return accepted;
    }

    // The explanation screens: the first of the two help screens opened saves the text it
    // covers, several screens mark that a help screen is open, the returns bring back the saved text.
    void chooseScreen(size_t n, const std::string& item, const Dump& before, const Dump& after) {
        if (item == "setsumei_modoru" || item == "setsumei_modoru2" || item == "modoruken") {
            helpShown_ = false;
            expectExplanation(n, after, "after " + item);
            return;
        }
        const bool saves = item == "tsukaikata" || item == "setsumei_hyouji";
        if (saves && !helpShown_) restoreText_ = rawText(before, "Form4", "Text11");
        if (saves || item == "dokuritsusei" || item == "Yates" || item == "Fisher" || item == "kenteiryoku") {
            helpShown_ = true;
        }
    }

    void expectExplanation(size_t n, const Dump& after, const std::string& when) {
        const QString shown = rawText(after, "Form4", "Text11");
        if (shown != restoreText_) {
            report(n, "the explanation area " + when + " shows\n" + shown.toStdString() + "\ninstead of\n" +
                          restoreText_.toStdString());
            restoreText_ = shown;
        }
    }

    void checkCells(size_t n, const Dump& after) {
        for (int k = 0; k < 20; ++k) {
            const QString shown = rawText(after, "Form4", mat1(k));
            if (shown != cells_[k]) {
                report(n, "cell " + std::to_string(k) + " shows " + quoted(shown) + ", typed " + quoted(cells_[k]));
                cells_[k] = shown;  // one report per fault, not one per later step
            }
        }
    }

    void checkSizeBoxes(size_t n, const Dump& after) {
        for (auto [box, model] : {std::pair{"Text12", &rows_}, std::pair{"Text13", &columns_}}) {
            const QString shown = rawText(after, "Form4", box);
            if (shown != *model) {
                report(n, std::string(box) + " shows " + quoted(shown) + ", expected " + quoted(*model));
                *model = shown;
            }
        }
    }

    // The residual button appears only with a test and goes only with OK; the power button,
    // once there, stays.
    void checkButtons(size_t n, const Action& action, const Dump& before, const Dump& after) {
        const bool residualBefore = before.visible("Form4", "Command3");
        const bool residualAfter = after.visible("Form4", "Command3");
        if (residualBefore != residualAfter && !(action.kind == Kind::Test && residualAfter) &&
            !(action.kind == Kind::Ok && !residualAfter)) {
            report(n, std::string("the residual button became ") + (residualAfter ? "visible" : "hidden"));
        }
        const bool powerBefore = before.visible("Form4", "Command8"), powerAfter = after.visible("Form4", "Command8");
        if (powerBefore != powerAfter && !(action.kind == Kind::Test && powerAfter)) {
            report(n, std::string("the power button became ") + (powerAfter ? "visible" : "hidden"));
        }
    }

    // Questions only where the action asks one, answered as queued; messages only from the
    // residual and power steps, under the program's title.
    void checkBoxes(size_t n, const Action& action, const Dump& before, const Dump& after) {
        const QJsonArray q0 = before.questions(), q1 = after.questions();
        const bool asks = action.kind == Kind::DataClear || action.kind == Kind::Exit;
        if (q1.size() != q0.size() + (asks ? 1 : 0)) {
            report(n, std::to_string(q1.size() - q0.size()) + " questions asked");
        } else if (asks) {
            const QJsonObject question = q1.last().toObject();
            if (question.value("answer").toString() != (action.yes ? "yes" : "no")) {
                report(n, "the queued answer was not used");
            }
            const QString caption = question.value("caption").toString();
            if (action.kind == Kind::Exit && caption != QString::fromUtf8(kTitle)) {
                report(n, "exit question under the caption " + quoted(caption));
            }
        }
        const QJsonArray m0 = before.messages(), m1 = after.messages();
        for (qsizetype k = 0; k < m0.size() && k < m1.size(); ++k) {
            if (m0[k] != m1[k]) report(n, "an earlier message changed");
        }
        if (m1.size() < m0.size()) report(n, "messages disappeared");
        if (m1.size() > m0.size()) {
            if (action.kind != Kind::Residuals && action.kind != Kind::Power) report(n, "a message from this action");
            if (m1.size() > m0.size() + 1) report(n, "more than one message from one step");
            for (qsizetype k = m0.size(); k < m1.size(); ++k) {
                const QJsonObject message = m1[k].toObject();
                if (message.value("caption").toString() != QString::fromUtf8(kTitle)) {
                    report(n, "message under the caption " + quoted(message.value("caption").toString()) + ": " +
                                  message.value("text").toString().toStdString());
                }
            }
        }
    }

    void checkFinite(size_t n, const Dump& dump) {
        for (const std::string& text : nonFiniteTexts(dump)) report(n, "a non-finite number is shown: " + text);
    }

    static std::string differenceOf(const Dump& before, const Dump& after, const std::string& key) {
        const size_t dot = key.find('.');
        if (dot == std::string::npos) return "";
        const std::string window = key.substr(0, dot);
        const QString control = QString::fromStdString(key.substr(dot + 1));
        return ": " + quoted(rawText(before, window.c_str(), control)) + " -> " +
               quoted(rawText(after, window.c_str(), control));
    }

    // action 0 is the start-up state.
    void report(size_t action, const std::string& what) {
        if (++reports_ > kMaxReportsPerScript) {
            if (reports_ == kMaxReportsPerScript + 1) ADD_FAILURE() << "seed " << seed_ << ": further reports left out";
            return;
        }
        std::ostringstream out;
        out << "seed " << seed_ << ", action " << action;
        if (action >= 1 && action <= actions_.size()) out << " (" << describe(actions_[action - 1]) << ")";
        out << ": " << what << "\nreplay with tomokari-script:\n" << scriptOf(actions_, action, false);
        ADD_FAILURE() << out.str();
    }

    unsigned seed_;
    const std::vector<Action>& actions_;
    std::array<QString, 20> cells_;
    QString rows_ = QStringLiteral("4"), columns_ = QStringLiteral("5");
    bool everValidSize_ = false;
    bool totalsSinceOk_ = false;
    QString restoreText_;  // what the restores put back into the explanation area
    bool helpShown_ = false;
    int reports_ = 0;
};

class RandomActions : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomActions, EveryStepKeepsTheRules) {
    const std::vector<Action> actions = Generator(GetParam()).run();
    ASSERT_FALSE(actions.empty());
    Checker(GetParam(), actions).run();
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomActions, ::testing::Range(kFirstSeed, kFirstSeed + kScriptCount),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "seed" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace tomokari::golden
