#pragma once
// The workflow core: the table, the reference tables and every rule of the workflow, with the
// complete state of what the three windows show. A front end forwards each user action by
// the name of the control it went to and then shows view(); it decides nothing itself.

#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cross_table.h"
#include "engine/figure.h"
#include "engine/layout.h"
#include "engine/texts.h"
#include "tables/reference_tables.h"

namespace tomokari {

struct ControlState {
    std::string text;  // contents or caption; a line has none
    bool visible = true;
};

struct WindowState {
    bool shown = false;
    std::vector<ControlState> controls;  // in the order of the window's WindowLayout::controls
};

// A message box: a yes/no question, or a message with only an OK button. An empty caption
// means the box has none of its own and shows the program's title.
struct Prompt {
    std::string caption;
    std::string text;
};

struct ViewState {
    bool exited = false;
    std::array<WindowState, kWindowCount> windows;
    std::optional<Prompt> question;  // waiting for answer()
    std::vector<Prompt> messages;    // raised by the last action, oldest first
    std::vector<WindowId> raised;    // brought to the front by the last action, in that order
    std::string picture;             // the picture window's drawing as SVG text; empty: nothing drawn
    std::string pictureValues;       // the numbers it draws, as JSON
};

class Workflow {
public:
    explicit Workflow(const ReferenceTables& tables);

    const ViewState& view() const { return view_; }
    // Throws std::out_of_range for a name that is no control of the window.
    const ControlState& control(WindowId window, std::string_view name) const;

    // Each returns false when the name is no control of that kind (nothing happens then).
    // While a question waits for its answer, and after the program has ended, none changes
    // anything.
    // What the user types into an input box of the main window (a size box or a cell).
    bool type(std::string_view box, std::string text);
    // A paste of `text` over the whole contents of an input box of the main window. Text with
    // a tab or a line break, as spreadsheets copy a block of cells, fills the cells from that
    // cell rightward and downward inside the shape shown.
    bool paste(std::string_view box, std::string text);
    // A press of a button of the main window; a hidden button does nothing.
    bool press(std::string_view button);
    // A menu item or command of the main window.
    bool choose(std::string_view item);

    // The window's close button in its title bar.
    void close(WindowId window);
    // The user's answer to view().question.
    void answer(bool yes);

    // The table that the window shows, for the clipboard: tab-separated, rows by lines, the
    // headings and totals included; a box of several lines takes as many rows. For the picture
    // window its caption, which goes with the picture.
    std::string copyTable(WindowId window) const;

private:
    enum class Pending { None, ClearData, Exit };

    ControlState& at(WindowId window, std::string_view name);
    std::string* inputText(std::string_view box);  // null for no input box of the main window
    std::string& text(WindowId window, std::string_view name) { return at(window, name).text; }
    void begin();
    void show(WindowId window);
    void ask(Pending pending, std::string caption, std::string text);
    void message(std::string text);
    void apply(WindowId window, const GridTexts& texts);
    void showShape(WindowId window, int rows, int columns, bool withTotals);
    // Puts the start-up texts back into the shown boxes of the groups ("mat1", "Ikei", "Text10"
    // ...); hidden ones keep theirs, as every step leaves them.
    void restoreStartTexts(WindowId window, std::initializer_list<std::string_view> groups);
    std::array<std::string, kCellCount> cellEntries() const;
    void pasteBlock(int firstCell, const std::string& pasted);

    void hideTestResults();
    void draw(Figure figure);
    void confirmSize();
    void clearSize();
    void totals();
    void test();
    void residuals();
    void power();
    void clearData();
    void askToExit();

    ReferenceTables tables_;
    ViewState view_;
    std::array<std::map<std::string, size_t, std::less<>>, kWindowCount> index_;
    Pending pending_ = Pending::None;

    CrossTable table_;
    bool sizeConfirmed_ = false;
    bool totalsDone_ = false;
    bool helpShown_ = false;
    std::string restoreText_;  // what OK, totals and the return items put back into Text11
    std::string headerText_;   // the last test's header, or the start-up note before any test
    std::string reportText_;   // the power report of the test whose totals are shown
    int degreesOfFreedom_ = 0;
    double lastChiSquare_ = 0;
    Figure figure_;
};

}  // namespace tomokari
