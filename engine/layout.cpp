#include "engine/layout.h"

#include <algorithm>

#include "engine/cross_table.h"
#include "engine/texts.h"

namespace tomokari {

namespace {

// Where one window puts the members of the control groups that all three windows share.
struct GridGeometry {
    ControlKind cellKind;
    Alignment cellAlignment;
    double cellPointSize;
    Rect firstCell;  // row 1, column 1
    int columnStep, rowStep;
    std::array<Rect, kMaxRows> rowHeadings;        // Gyolab
    std::string rowHeadingText;                    // empty: "行 1" .. "行 4"
    Alignment rowHeadingAlignment;
    double rowHeadingPointSize;
    std::array<Rect, kMaxColumns> columnHeadings;  // Retlab
    double columnHeadingPointSize;
    ControlKind totalKind;
    bool totalsVisible;
    std::array<Rect, kMaxRows> rowBoxes;           // Ikei
    std::array<Rect, kMaxColumns> columnBoxes;     // Jkei
    Rect grandBox;                                 // Text10
    std::string totalText, grandText;              // initial contents
    std::string spokenPrefix;                      // before "行1 列2" in the boxes' spoken names
};

const GridGeometry kMainGrid{
    ControlKind::InputBox, Alignment::Right, 9, {720, 3720, 615, 495}, 600, 480,
    {{{240, 3840, 495, 375}, {240, 4320, 495, 375}, {240, 4800, 495, 375}, {240, 5280, 495, 255}}},
    "", Alignment::Left, 9,
    {{{840, 3390, 495, 255}, {1440, 3390, 615, 255}, {2040, 3390, 600, 255}, {2640, 3390, 600, 255},
      {3240, 3390, 600, 255}}},
    9, ControlKind::TotalBox, true,
    {{{3960, 3744, 615, 495}, {3960, 4200, 615, 495}, {3960, 4680, 615, 495}, {3960, 5160, 615, 495}}},
    {{{720, 5880, 615, 495}, {1320, 5880, 615, 495}, {1920, 5880, 615, 495}, {2520, 5880, 615, 481},
      {3120, 5880, 615, 481}}},
    {3960, 5880, 585, 465}, "0", "総計", ""};

const GridGeometry kExpectedValuesGrid{
    ControlKind::DisplayBox, Alignment::Left, 0, {960, 360, 855, 495}, 840, 480,
    {{{0, 480, 855, 375}, {0, 960, 855, 375}, {0, 1440, 855, 375}, {0, 1920, 855, 375}}},
    "期待値\nχ2値", Alignment::RightTop, 8,
    {{{1200, 120, 600, 240}, {2040, 120, 600, 240}, {2880, 120, 600, 240}, {3744, 117, 600, 240},
      {4560, 120, 600, 240}}},
    0, ControlKind::MarginBox, true,
    {{{5400, 351, 855, 495}, {5400, 840, 855, 495}, {5400, 1320, 855, 495}, {5400, 1800, 855, 495}}},
    {{{960, 2520, 855, 495}, {1800, 2520, 855, 495}, {2640, 2520, 855, 495}, {3480, 2520, 855, 495},
      {4320, 2520, 855, 495}}},
    {5400, 2520, 832, 481}, "0", "0", "期待値 "};

// The residuals window shows no totals: its margin boxes only keep the group names whole.
const GridGeometry kResidualsGrid{
    ControlKind::DisplayBox, Alignment::Left, 0, {1200, 480, 975, 855}, 960, 840,
    {{{0, 720, 1215, 615}, {0, 1560, 1215, 615}, {0, 2400, 1215, 615}, {0, 3240, 1215, 615}}},
    "残差\n標準化残差\n調整済み残差", Alignment::RightTop, 0,
    {{{1320, 120, 600, 250}, {2280, 120, 600, 250}, {3240, 120, 600, 250}, {4200, 120, 600, 250},
      {5160, 120, 600, 250}}},
    0, ControlKind::MarginBox, false, {}, {}, {}, "", "", "残差 "};

void addGrid(std::vector<ControlLayout>& controls, const GridGeometry& g, std::string (*cellText)(int, int)) {
    auto add = [&](std::string name, ControlKind kind, std::string text, Rect rect, double pointSize, Alignment alignment,
                   bool visible, std::string spoken = "") {
        controls.push_back({std::move(name), kind, std::move(text), rect, pointSize, alignment, "", visible, std::move(spoken)});
    };
    // "行1 列2" for a cell, "行1 合計" and "列2 合計" for totals; a heading (-1 for the other) just "行1".
    const auto spokenPlace = [&](int row, int column) {
        if (row < 0 || column < 0) return row < 0 ? "列" + std::to_string(column) : "行" + std::to_string(row);
        const std::string rowPart = row ? "行" + std::to_string(row) : "", columnPart = column ? "列" + std::to_string(column) : "";
        return g.spokenPrefix + rowPart + (row && column ? " " : "") + columnPart + (row && column ? "" : " 合計");
    };
    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) {
            const Rect cell{g.firstCell.left + g.columnStep * (j - 1), g.firstCell.top + g.rowStep * (i - 1),
                            g.firstCell.width, g.firstCell.height};
            add(indexedName("mat1", cellIndex(i, j)), g.cellKind, cellText(i, j), cell, g.cellPointSize,
                g.cellAlignment, true, spokenPlace(i, j));
            if (g.cellKind == ControlKind::InputBox) controls.back().enter = EnterKey::MovesOn;
        }
    }
    // A heading names its row or column as the boxes' spoken names do ("行1"); where it shows what
    // the lines of the boxes hold, it says that too.
    for (int i = 0; i < kMaxRows; ++i) {
        const std::string text = g.rowHeadingText.empty() ? numberedHeading("行", i + 1) : g.rowHeadingText;
        std::string lines = g.rowHeadingText.empty() ? "" : " " + g.rowHeadingText;
        std::replace(lines.begin(), lines.end(), '\n', ' ');
        add(indexedName("Gyolab", i), ControlKind::Label, text, g.rowHeadings[i], g.rowHeadingPointSize,
            g.rowHeadingAlignment, true, spokenPlace(i + 1, -1) + lines);
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        add(indexedName("Retlab", j), ControlKind::Label, numberedHeading("列", j + 1), g.columnHeadings[j],
            g.columnHeadingPointSize, Alignment::Left, true, spokenPlace(-1, j + 1));
    }
    for (int i = 0; i < kMaxRows; ++i) {
        add(indexedName("Ikei", i), g.totalKind, g.totalText, g.rowBoxes[i], g.cellPointSize, Alignment::Center,
            g.totalsVisible, spokenPlace(i + 1, 0));
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        add(indexedName("Jkei", j), g.totalKind, g.totalText, g.columnBoxes[j], g.cellPointSize, Alignment::Center,
            g.totalsVisible, spokenPlace(0, j + 1));
    }
    add("Text10", g.totalKind, g.grandText, g.grandBox, g.cellPointSize, Alignment::Center, g.totalsVisible,
        g.spokenPrefix + "総計");
}

ControlLayout control(std::string name, ControlKind kind, std::string text, Rect rect, double pointSize = 0,
                    std::string parent = "", std::string spoken = "") {
    return {std::move(name), kind, std::move(text), rect, pointSize, Alignment::Left, std::move(parent), true, std::move(spoken)};
}

// Hidden at start-up.
ControlLayout hidden(ControlLayout control) {
    control.visible = false;
    return control;
}

WindowLayout mainWindow() {
    using K = ControlKind;
    WindowLayout w{WindowId::Main, "Form4", kProgramTitle, {0, 0, 5835, 6945}, 9.75, {}, "クロス表"};
    auto& c = w.controls;
    c.push_back(control("Label10", K::Label, "1～4行", {1995, 120, 735, 255}, 9));
    c.push_back(control("Label11", K::Label, "2～5列", {2880, 120, 585, 375}, 9));
    c.push_back(control("Label12", K::Label, "クロス表", {1200, 480, 735, 375}, 10));
    for (auto [name, text, left, spoken] :
         {std::tuple{"Text12", "4", 2106, "行数"}, std::tuple{"Text13", "5", 2925, "列数"}}) {
        ControlLayout entry = control(name, K::InputBox, text, {left, 351, 481, 450}, 14, "", spoken);
        entry.alignment = Alignment::Center;
        entry.enter = EnterKey::PressesOk;
        c.push_back(entry);
    }
    c.push_back(control("Command1", K::Button, "ＯＫ(1)", {3978, 351, 735, 495}, 9));
    c.push_back(control("Command2", K::Button, "クリア", {4914, 351, 735, 495}, 9));
    c.push_back(control("Frame1", K::Frame, "解　説", {120, 840, 5629, 2415}, 8.25));
    c.push_back(control("Text11", K::TextArea, degreesOfFreedomNote(), {117, 234, 5395, 2002}, 9, "Frame1", "解説"));
    c.push_back(control("Command6", K::Button, "終　了", {4200, 3360, 1215, 255}, 9));
    addGrid(c, kMainGrid, [](int i, int j) { return std::to_string(10 * i + j); });
    c.push_back(control("Line1", K::Line, "", {3840, 3630, 0, 2730}));
    c.push_back(control("Line2", K::Line, "", {600, 5760, 3960, 0}));
    c.push_back(control("Command7", K::Button, "合計\nする(2)", {4920, 3744, 735, 495}, 9));
    c.push_back(control("Command4", K::Button, "データ\nクリア", {4920, 4320, 735, 375}, 8.25));
    // The power and residual buttons wait for a test.
    c.push_back(hidden(control("Command8", K::Button, "検定力\n分析", {4920, 4800, 735, 495}, 9.75)));
    c.push_back(hidden(control("Command3", K::Button, "残差\n分析(4)", {4920, 5400, 735, 495}, 9)));
    c.push_back(control("Command5", K::Button, "χ2\n実行(3)", {4920, 6120, 735, 495}, 9));
    c.push_back(control("Label13", K::Label, kCreditLine, {600, 6720, 4455, 240}, 9));

    c.push_back(control("owari", K::MenuCommand, "終了", {}));
    const std::pair<const char*, const char*> menus[] = {
        {"setsumei", "説明"}, {"hosoku", "χ2検定の補足"}, {"kentei", "検定力について"}};
    for (auto [name, title] : menus) c.push_back(control(name, K::Menu, title, {}));
    const std::array<const char*, 3> items[] = {
        {"setsumei", "tsukaikata", "・使い方"},
        {"setsumei", "setsumei_hyouji", "・解　説"},
        {"setsumei", "setsumei_modoru", "元に戻る"},
        {"hosoku", "tekigoudo", "・適合度の検定"},
        {"hosoku", "dokuritsusei", "･独立性の検定"},
        {"hosoku", "zansabunseki", "･残差分析"},
        {"hosoku", "Yates", "・イェーツの補正"},
        {"hosoku", "Fisher", "・フィッシャーの直接法"},
        {"hosoku", "setsumei_modoru2", "元に戻る"},
        {"kentei", "kenteiryoku", "・検定力分析"},
        {"kentei", "modoruken", "元に戻る"},
    };
    for (const auto& [menu, name, caption] : items) c.push_back(control(name, K::MenuItem, caption, {}, 0, menu));
    return w;
}

WindowLayout expectedValuesWindow() {
    WindowLayout w{WindowId::ExpectedValues, "Form3", kExpectedWindowTitle, {6000, 5205, 6330, 4065}, 0, {}, "期待値とχ2値"};
    addGrid(w.controls, kExpectedValuesGrid, [](int, int) { return std::string("0"); });
    w.controls.push_back(
        control("Text11", ControlKind::TextArea, kExpectedWindowPrompt, {960, 3240, 5044, 715}, 0, "", "検定結果"));
    w.controls.push_back(control("Line1", ControlKind::Line, "", {5280, 360, 0, 2640}));
    w.controls.push_back(control("Line2", ControlKind::Line, "", {720, 2400, 5520, 0}));
    return w;
}

WindowLayout residualsWindow() {
    WindowLayout w{WindowId::Residuals, "Form1", kResidualsWindowTitle, {6000, 450, 6315, 4260}, 0, {}, "残差"};
    addGrid(w.controls, kResidualsGrid, [](int, int) { return std::string(); });
    w.controls.push_back(control("Line1", ControlKind::Line, "", {6120, 480, 0, 3480}));
    w.controls.push_back(control("Line2", ControlKind::Line, "", {1200, 3960, 4920, 0}));
    return w;
}

// The picture window stands to the right of the other two secondary windows; it is the one window
// whose size a front end may change, the picture taking the room the caption leaves.
WindowLayout figureWindow() {
    WindowLayout w{WindowId::Figure, "Figure", kFigureWindowTitle, {12480, 0, 6480, 10800}, 0, {}, ""};
    w.controls.push_back(control("Picture", ControlKind::Picture, "", {120, 120, 6240, 8550}, 0, "", kFigureWindowTitle));
    w.controls.push_back(control("Caption", ControlKind::TextArea, "", {120, 8790, 6240, 1890}, 0, "", "図の説明"));
    return w;
}

}  // namespace

std::string indexedName(std::string_view group, int index) {
    return std::string(group) + "(" + std::to_string(index) + ")";
}

const std::array<WindowLayout, kWindowCount>& windowLayouts() {
    static const std::array<WindowLayout, kWindowCount> layouts{mainWindow(), expectedValuesWindow(), residualsWindow(), figureWindow()};
    return layouts;
}

const WindowLayout& windowLayout(WindowId id) { return windowLayouts()[static_cast<size_t>(id)]; }

std::string spokenName(const ControlLayout& control, const std::string& text) {
    if (!control.spoken.empty()) return control.spoken;
    std::string phrase = text;
    std::erase(phrase, '\n');
    return phrase;
}

std::vector<std::string> mainKeyboardOrder() {
    std::vector<std::string> order = {"Text12", "Text13", "Command1"};
    for (int k = 0; k < kCellCount; ++k) order.push_back(indexedName("mat1", k));
    for (const char* name : {"Command7", "Command5", "Command3", "Command8", "Command2", "Command4", "Command6", "Text11"}) {
        order.push_back(name);
    }
    return order;
}

}  // namespace tomokari
