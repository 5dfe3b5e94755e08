#pragma once
// The three windows and every control in them, declared once: the names that the program,
// its tests and its front ends speak, the captions, and the geometry in twips (1/1440 inch;
// 15 twips are one pixel at 96 dpi). Plain data: a front end builds its widgets from it.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tomokari {

enum class WindowId { Main, ExpectedValues, Residuals, Figure };
inline constexpr int kWindowCount = 4;

enum class ControlKind {
    Label,        // a caption or heading
    InputBox,     // a single-line box the user types into
    TotalBox,     // a single-line read-only box with a button-face background
    DisplayBox,   // a multi-line read-only box of a secondary window's grid
    MarginBox,    // the same with a button-face background, for totals
    TextArea,     // a scrolling multi-line read-only text
    Button,       // a push button, one or two caption lines
    Frame,        // a titled frame that holds other controls
    Line,         // a straight rule, no text
    Menu,         // a drop-down menu of the menu bar
    MenuItem,     // an item of a drop-down menu
    MenuCommand,  // an item standing in the menu bar itself
    Picture,      // the picture of the test, drawn from the core's SVG text; no text of its own
};

// What an input box holds at most, in characters (Unicode code points): the core keeps no more
// of what is typed or pasted, cut before a whole character, and a front end shows exactly what it
// keeps. A front end's own limit, counted in UTF-16 units, is at least twice this.
inline constexpr std::size_t kInputBoxCharacters = 10000;

enum class Alignment { Left, Center, Right, RightTop };

// What the Enter key does in an input box, the same in every front end.
enum class EnterKey {
    Nothing,
    PressesOk,  // a size box: confirms the size, as ＯＫ(1) does
    MovesOn,    // a cell: on to the next control of the keyboard order, as in a spreadsheet
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct ControlLayout {
    std::string name;    // "mat1(7)", "Command5", "tekigoudo"
    ControlKind kind;
    std::string text;    // the caption or the initial contents
    Rect rect;           // inside the parent, or the window's client area
    double pointSize;    // 0: the window's font
    Alignment alignment;
    std::string parent;  // "" for the window itself, else a Frame's or a Menu's name
    bool visible;        // at start-up
    std::string spoken;  // what a screen reader says for it; empty: its text as one phrase
    EnterKey enter = EnterKey::Nothing;
};

struct WindowLayout {
    WindowId id;
    std::string name;  // Form4, Form3, Form1, Figure
    std::string title;
    Rect client;       // position and size of the client area on the screen
    double pointSize;  // the window's font; 0: the program's
    std::vector<ControlLayout> controls;  // in creation order, which is also the stacking order
    std::string gridName;  // what a screen reader calls the window's grid as a table
};

const std::array<WindowLayout, kWindowCount>& windowLayouts();
const WindowLayout& windowLayout(WindowId id);

// "mat1(7)": the name of member k of a control group.
std::string indexedName(std::string_view group, int index);

// What a screen reader announces for the control: its own name where the layout gives one
// ("行1 列2", "期待値 行2 合計"), else its text with the line breaks taken out, so that a
// two-line caption is one phrase.
std::string spokenName(const ControlLayout& control, const std::string& text);

// The main window's keyboard order: size, OK, the cells row by row, then the step buttons.
std::vector<std::string> mainKeyboardOrder();

}  // namespace tomokari
