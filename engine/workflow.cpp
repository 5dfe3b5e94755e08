#include "engine/workflow.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/chi_square.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "numbers/number_reader.h"

namespace tomokari {

namespace {

// Every statistic is shown with three decimals.
constexpr int kDecimals = 3;

struct ScreenItem {
    const char* name;  // the menu item's name
    Screen screen;
    bool savesText;       // keeps the explanation area as the text to return to, unless help is shown
    bool marksHelpShown;  // later screens then keep the text saved before
};

constexpr ScreenItem kScreenItems[] = {
    {"tsukaikata", Screen::Usage, true, true},
    {"setsumei_hyouji", Screen::About, true, true},
    {"tekigoudo", Screen::GoodnessOfFit, false, false},
    {"dokuritsusei", Screen::Independence, false, true},
    {"zansabunseki", Screen::ResidualAnalysis, false, false},
    {"Yates", Screen::Yates, false, true},
    {"Fisher", Screen::Fisher, false, true},
    {"kenteiryoku", Screen::Power, false, true},
};

constexpr const char* kReturnItems[] = {"setsumei_modoru", "setsumei_modoru2", "modoruken"};

// Calls each(piece) for the pieces of `text` cut at `separator`, as std::getline reads them:
// a separator ends a piece, so no empty piece follows one at the very end.
template <typename Each>
void forEachPiece(std::string_view text, char separator, Each each) {
    while (!text.empty()) {
        const size_t end = text.find(separator);
        each(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

// Code points that join the one before them into the character a user sees: combining marks, the
// voiced-sound marks of kana, variation selectors, emoji skin tones and tags, and U+200D, which
// joins the one after it too.
bool joinsPrevious(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F) || c == 0x3099 || c == 0x309A ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0020 && c <= 0xE007F) || c == 0x200D;
}

bool isRegionalIndicator(char32_t c) { return c >= 0x1F1E6 && c <= 0x1F1FF; }

// The text as an input box keeps it: at most kInputBoxCharacters code points, cut before a whole
// character as the user sees it, never inside one (a CR LF pair, a letter with its marks, an emoji
// sequence joined by U+200D, a flag of two regional indicators).
std::string boxText(std::string text) {
    if (text.size() <= kInputBoxCharacters) return text;  // fewer bytes than the limit's characters
    std::vector<size_t> starts;  // of each code point: a byte that is no continuation byte
    std::vector<char32_t> points;
    for (size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) == 0x80) {
            if (!points.empty()) points.back() = points.back() << 6 | (byte & 0x3F);
            continue;
        }
        starts.push_back(at);
        points.push_back(byte < 0x80 ? byte : byte & (byte >= 0xF0 ? 0x07 : byte >= 0xE0 ? 0x0F : 0x1F));
    }
    if (points.size() <= kInputBoxCharacters) return text;
    const auto boundary = [&](size_t k) {  // between points k - 1 and k
        if ((points[k - 1] == '\r' && points[k] == '\n') || joinsPrevious(points[k]) || points[k - 1] == 0x200D) return false;
        size_t flags = 0;
        while (flags < k && isRegionalIndicator(points[k - 1 - flags])) ++flags;
        return !isRegionalIndicator(points[k]) || flags % 2 == 0;
    };
    size_t cut = kInputBoxCharacters;
    while (cut > 0 && !boundary(cut)) --cut;
    text.resize(starts[cut]);
    return text;
}

// A size entry counts when it reads as a whole number; 2.5 is no size.
bool isWhole(double value) { return std::isfinite(value) && value == std::floor(value); }

constexpr WindowId kMain = WindowId::Main;
constexpr WindowId kExpected = WindowId::ExpectedValues;
constexpr WindowId kResiduals = WindowId::Residuals;
constexpr WindowId kFigure = WindowId::Figure;

}  // namespace

Workflow::Workflow(const ReferenceTables& tables) : tables_(tables) {
    for (const WindowLayout& layout : windowLayouts()) {
        WindowState& window = view_.windows[static_cast<size_t>(layout.id)];
        for (const ControlLayout& control : layout.controls) {
            index_[static_cast<size_t>(layout.id)].emplace(control.name, window.controls.size());
            window.controls.push_back({control.text, control.visible});
        }
    }
    restoreText_ = headerText_ = text(kMain, "Text11");
    draw({});
    show(kMain);
    show(kExpected);
}

const ControlState& Workflow::control(WindowId window, std::string_view name) const {
    const auto& names = index_[static_cast<size_t>(window)];
    const auto found = names.find(name);
    // A name that is no control is a fault of the caller: it stops here, never reads elsewhere.
    if (found == names.end()) {
        throw std::out_of_range("no control " + std::string(name) + " in " + windowLayout(window).name);
    }
    return view_.windows[static_cast<size_t>(window)].controls[found->second];
}

ControlState& Workflow::at(WindowId window, std::string_view name) {
    return const_cast<ControlState&>(std::as_const(*this).control(window, name));
}

std::string* Workflow::inputText(std::string_view box) {
    const auto found = index_[static_cast<size_t>(kMain)].find(box);
    if (found == index_[static_cast<size_t>(kMain)].end()) return nullptr;
    if (windowLayout(kMain).controls[found->second].kind != ControlKind::InputBox) return nullptr;
    return &view_.windows[static_cast<size_t>(kMain)].controls[found->second].text;
}

bool Workflow::type(std::string_view box, std::string newText) {
    std::string* target = inputText(box);
    if (!target) return false;
    begin();
    if (!view_.exited && !view_.question) *target = boxText(std::move(newText));
    return true;
}

bool Workflow::paste(std::string_view box, std::string pasted) {
    std::string* target = inputText(box);
    if (!target) return false;
    begin();
    if (view_.exited || view_.question) return true;
    const bool block = pasted.find_first_of("\t\r\n") != std::string::npos;
    for (int k = 0; k < kCellCount; ++k) {
        if (box != indexedName("mat1", k)) continue;
        // A cell takes a pasted field as a block does, without the commas that group its digits.
        if (block) pasteBlock(k, pasted);
        else *target = boxText(withoutDigitGroups(pasted));
        return true;
    }
    *target = boxText(std::move(pasted));
    return true;
}

bool Workflow::press(std::string_view button) {
    using Step = void (Workflow::*)();
    static const std::map<std::string, Step, std::less<>> kSteps = {
        {"Command1", &Workflow::confirmSize}, {"Command2", &Workflow::clearSize}, {"Command3", &Workflow::residuals},
        {"Command4", &Workflow::clearData},   {"Command5", &Workflow::test},      {"Command6", &Workflow::askToExit},
        {"Command7", &Workflow::totals},      {"Command8", &Workflow::power},
    };
    const auto step = kSteps.find(button);
    if (step == kSteps.end()) return false;
    begin();
    if (!view_.exited && !view_.question && control(kMain, button).visible) (this->*step->second)();
    return true;
}

bool Workflow::choose(std::string_view item) {
    const ScreenItem* screen = nullptr;
    for (const ScreenItem& candidate : kScreenItems) {
        if (item == candidate.name) screen = &candidate;
    }
    const bool returns = std::any_of(std::begin(kReturnItems), std::end(kReturnItems), [&](const char* name) { return item == name; });
    if (!screen && !returns && item != "owari") return false;
    begin();
    if (view_.exited || view_.question) return true;
    if (screen) {
        if (screen->savesText && !helpShown_) restoreText_ = text(kMain, "Text11");
        if (screen->marksHelpShown) helpShown_ = true;
        text(kMain, "Text11") = screenText(screen->screen);
    } else if (returns) {
        helpShown_ = false;
        text(kMain, "Text11") = restoreText_;
    } else {
        askToExit();
    }
    return true;
}

void Workflow::close(WindowId window) {
    begin();
    if (view_.exited || view_.question) return;
    // The main window's close button asks like the exit commands; the others just hide.
    if (window == kMain) {
        askToExit();
    } else {
        view_.windows[static_cast<size_t>(window)].shown = false;
    }
}

void Workflow::answer(bool yes) {
    const Pending pending = std::exchange(pending_, Pending::None);
    view_.question.reset();
    if (!yes) return;
    if (pending == Pending::ClearData) {
        for (int k = 0; k < kCellCount; ++k) text(kMain, indexedName("mat1", k)).clear();
    } else if (pending == Pending::Exit) {
        view_.exited = true;
        for (WindowState& window : view_.windows) window.shown = false;
    }
}

void Workflow::begin() {
    view_.messages.clear();
    view_.raised.clear();
}

void Workflow::show(WindowId window) {
    view_.windows[static_cast<size_t>(window)].shown = true;
    view_.raised.push_back(window);
}

void Workflow::ask(Pending pending, std::string caption, std::string question) {
    pending_ = pending;
    view_.question = Prompt{std::move(caption), std::move(question)};
}

void Workflow::message(std::string messageText) { view_.messages.push_back({kProgramTitle, std::move(messageText)}); }

void Workflow::apply(WindowId window, const GridTexts& texts) {
    for (int k = 0; k < kCellCount; ++k) {
        if (texts.cells[k]) text(window, indexedName("mat1", k)) = *texts.cells[k];
    }
    for (int i = 0; i < kMaxRows; ++i) {
        if (texts.rowBoxes[i]) text(window, indexedName("Ikei", i)) = *texts.rowBoxes[i];
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        if (texts.columnBoxes[j]) text(window, indexedName("Jkei", j)) = *texts.columnBoxes[j];
    }
    if (texts.grandBox) text(window, "Text10") = *texts.grandBox;
    if (texts.note) text(window, "Text11") = *texts.note;
}

void Workflow::showShape(WindowId window, int rows, int columns, bool withTotals) {
    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) at(window, indexedName("mat1", cellIndex(i, j))).visible = i <= rows && j <= columns;
    }
    for (int i = 0; i < kMaxRows; ++i) {
        at(window, indexedName("Gyolab", i)).visible = i < rows;
        at(window, indexedName("Ikei", i)).visible = withTotals && i < rows;
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        at(window, indexedName("Retlab", j)).visible = j < columns;
        at(window, indexedName("Jkei", j)).visible = withTotals && j < columns;
    }
}

void Workflow::restoreStartTexts(WindowId window, std::initializer_list<std::string_view> groups) {
    const std::vector<ControlLayout>& layouts = windowLayout(window).controls;
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::string_view group = std::string_view(layouts[i].name).substr(0, layouts[i].name.find('('));
        ControlState& state = view_.windows[static_cast<size_t>(window)].controls[i];
        if (state.visible && std::find(groups.begin(), groups.end(), group) != groups.end()) state.text = layouts[i].text;
    }
}

void Workflow::pasteBlock(int firstCell, const std::string& pasted) {
    int rows = 0, columns = 0;  // the shape shown
    while (rows < kMaxRows && control(kMain, indexedName("Gyolab", rows)).visible) ++rows;
    while (columns < kMaxColumns && control(kMain, indexedName("Retlab", columns)).visible) ++columns;
    std::string block = pasted;
    for (size_t at; (at = block.find("\r\n")) != std::string::npos;) block.erase(at, 1);
    std::replace(block.begin(), block.end(), '\r', '\n');
    if (block.ends_with('\n')) block.pop_back();  // spreadsheets end the last row with a line break too
    int row = firstCell / kMaxColumns, rowsLeftOut = 0, columnsLeftOut = 0;
    forEachPiece(block, '\n', [&](std::string_view line) {
        int column = firstCell % kMaxColumns;
        // With the tab added every field counts, an empty last one too, and an empty line is one empty field.
        forEachPiece(std::string(line) + "\t", '\t', [&](std::string_view field) {
            if (row < rows && column < columns) text(kMain, indexedName("mat1", row * kMaxColumns + column)) = boxText(withoutDigitGroups(std::string(field)));
            columnsLeftOut = std::max(columnsLeftOut, column + 1 - columns);
            ++column;
        });
        rowsLeftOut = std::max(rowsLeftOut, row + 1 - rows);
        ++row;
    });
    if (rowsLeftOut > 0 || columnsLeftOut > 0) message(pasteLeftOutMessage(rowsLeftOut, columnsLeftOut));
}

std::string Workflow::copyTable(WindowId window) const {
    if (window == kFigure) return control(kFigure, "Caption").text;
    const auto shown = [&](const std::string& name) -> const ControlState* {
        const ControlState& state = control(window, name);
        return state.visible ? &state : nullptr;
    };
    // A grid row as spreadsheet rows: the heading and each box, line by line.
    std::string table;
    const auto addRows = [&](const std::vector<const ControlState*>& boxes) {
        std::vector<std::vector<std::string>> columns;
        size_t height = 0;
        for (const ControlState* box : boxes) {
            std::vector<std::string>& lines = columns.emplace_back();
            if (box) forEachPiece(box->text, '\n', [&](std::string_view line) { lines.emplace_back(line); });
            // The residuals window keeps the first line of its boxes empty, beside its headings.
            if (box != boxes.front() && !lines.empty() && lines.front().empty()) lines.erase(lines.begin());
            height = std::max(height, lines.size());
        }
        for (size_t n = 0; n < std::max<size_t>(height, 1); ++n) {
            for (size_t c = 0; c < columns.size(); ++c) {
                std::string cell = n < columns[c].size() ? columns[c][n] : "";
                cell.erase(0, cell.find_first_not_of(' '));
                table += (c ? "\t" : "") + cell;
            }
            table += "\n";
        }
    };
    std::vector<const ControlState*> boxes{nullptr};
    for (int j = 0; j < kMaxColumns; ++j) {
        if (const ControlState* heading = shown(indexedName("Retlab", j))) boxes.push_back(heading);
    }
    addRows(boxes);
    for (int i = 0; i < kMaxRows; ++i) {
        if (!shown(indexedName("Gyolab", i))) continue;
        boxes = {shown(indexedName("Gyolab", i))};
        for (int j = 0; j < kMaxColumns; ++j) {
            if (const ControlState* cell = shown(indexedName("mat1", cellIndex(i + 1, j + 1)))) boxes.push_back(cell);
        }
        if (const ControlState* total = shown(indexedName("Ikei", i))) boxes.push_back(total);
        addRows(boxes);
    }
    boxes = {nullptr};
    for (int j = 0; j < kMaxColumns; ++j) {
        if (const ControlState* total = shown(indexedName("Jkei", j))) boxes.push_back(total);
    }
    if (boxes.size() > 1) {
        boxes.push_back(shown("Text10"));
        addRows(boxes);
    }
    return table;
}

std::array<std::string, kCellCount> Workflow::cellEntries() const {
    std::array<std::string, kCellCount> entries;
    for (int k = 0; k < kCellCount; ++k) entries[k] = control(kMain, indexedName("mat1", k)).text;
    return entries;
}

void Workflow::confirmSize() {
    sizeConfirmed_ = true;
    totalsDone_ = false;
    const double rows = sizeTextValue(text(kMain, "Text12"));
    const double columns = sizeTextValue(text(kMain, "Text13"));
    hideTestResults();

    if (!isWhole(rows) || !isWhole(columns) || rows < 1 || rows > kMaxRows || columns < 2 || columns > kMaxColumns) {
        text(kMain, "Text12") = text(kMain, "Text13") = "?";
        clearShape(table_);
        return;
    }
    setSize(table_, static_cast<int>(rows), static_cast<int>(columns));
    degreesOfFreedom_ = degreesOfFreedomFor(table_.rowCount, table_.columnCount);
    showShape(kMain, table_.rowCount, table_.columnCount, true);
    showShape(kExpected, table_.rowCount, table_.columnCount, true);
    showShape(kResiduals, table_.rowCount, table_.columnCount, false);
    text(kMain, "Text11") = restoreText_;
}

void Workflow::clearSize() {
    text(kMain, "Text12").clear();
    text(kMain, "Text13").clear();
}

// The residuals and the power analysis belong to the test of the table whose totals are shown:
// a new size or new totals take them away until a test completes.
void Workflow::hideTestResults() {
    view_.windows[static_cast<size_t>(kResiduals)].shown = false;
    view_.windows[static_cast<size_t>(kFigure)].shown = false;
    at(kMain, "Command3").visible = false;
    at(kMain, "Command8").visible = false;
    draw({});
    // A power report that a help screen saved belongs to the old table too.
    if (!reportText_.empty() && restoreText_ == reportText_) restoreText_ = headerText_;
    reportText_.clear();
}

// The picture as it now stands, with its caption; a front end redraws when the text changes.
void Workflow::draw(Figure figure) {
    figure_ = std::move(figure);
    view_.picture = figureSvg(figure_);
    view_.pictureValues = figureValuesJson(figure_);
    text(kFigure, "Caption") = figureCaption(figure_);
    if (figure_.test) show(kFigure);
}

void Workflow::totals() {
    totalsDone_ = true;
    hideTestResults();
    text(kMain, "Text11") = restoreText_;
    reset(table_);
    for (int i = 0; i < kMaxRows; ++i) text(kMain, indexedName("Ikei", i)) = "0";
    for (int j = 0; j < kMaxColumns; ++j) text(kMain, indexedName("Jkei", j)) = "0";

    if (isValidShape(table_.shapeCode)) {
        readCells(table_, cellEntries());
        computeTotals(table_);
        computeExpectedValues(table_);
        if (isComputable(table_)) {
            apply(kMain, mainWindowTotals(table_));
            apply(kExpected, expectedWindowTotals(table_, kDecimals));
        } else {
            // No figure of an earlier table may stand beside the stop message.
            restoreStartTexts(kMain, {"Text10"});
            restoreStartTexts(kExpected, {"mat1", "Ikei", "Jkei", "Text10"});
            text(kExpected, "Text11") = kNotComputableMessage;
        }
    }
    show(kExpected);
}

void Workflow::test() {
    // Until a valid size has ever been confirmed there is no shape, df or title to test with.
    if (!sizeConfirmed_ || !totalsDone_ || table_.rowCount == 0) return;

    restoreText_ = headerText_ = text(kMain, "Text11") = significanceHeader(degreesOfFreedom_, tables_.critical, kDecimals);
    const ChiSquareResult result = computeChiSquareTest(table_, tables_.critical);
    if (result.expectedZero || result.notComputable) {
        text(kExpected, "Text11") = result.expectedZero ? kExpectedZeroMessage : kNotComputableMessage;
        return;
    }
    apply(kExpected, expectedWindowTest(table_, result, kDecimals));
    lastChiSquare_ = result.chiSquare;

    apply(kResiduals, rawResidualTexts(table_, kDecimals));
    show(kResiduals);
    draw({testPanel(result, tables_.critical), {}, {}});

    // Shapes beyond 3 x 3 drop the step numbers; one-row tables have no residual analysis.
    const bool numbered = isSmallShape(table_.shapeCode);
    if (table_.rowCount >= 2) {
        if (!numbered) text(kMain, "Command3") = kResidualCaptionUnnumbered;
        at(kMain, "Command3").visible = true;
    }
    if (!numbered) text(kMain, "Command8") = kPowerCaptionUnnumbered;
    at(kMain, "Command8").visible = true;
}

void Workflow::residuals() {
    text(kMain, "Text11") = residualExplanation();
    if (!isValidShape(table_.shapeCode) || table_.rowCount < 2) return;

    const ResidualResult result = computeResiduals(table_, cellEntries());
    if (result.failure.kind != ResidualFailure::None) {
        message(residualFailureMessage(result.failure));
        return;
    }
    apply(kResiduals, residualTexts(table_, result, kDecimals));
    show(kResiduals);
    Figure figure = figure_;
    figure.residuals = residualPanel(table_, result);
    draw(std::move(figure));
}

void Workflow::power() {
    if (!sizeConfirmed_ || !totalsDone_ || table_.rowCount == 0) return;
    const std::optional<double> omega = omegavalue(lastChiSquare_, table_.grandTotal);
    if (!omega) {
        message(kPowerNotComputableMessage);
        return;
    }
    const SampleSizeEstimate estimate = estimateSampleSize(*omega, degreesOfFreedom_, tables_.power);
    reportText_ = text(kMain, "Text11") = powerReport(*omega, degreesOfFreedom_, estimate, tables_.power, kDecimals);
    Figure figure = figure_;
    figure.power = powerPanel(*omega, table_.grandTotal, degreesOfFreedom_, tables_.critical);
    draw(std::move(figure));
}

void Workflow::clearData() { ask(Pending::ClearData, "", kDataClearQuestion); }

void Workflow::askToExit() { ask(Pending::Exit, kProgramTitle, kExitQuestion); }

}  // namespace tomokari
