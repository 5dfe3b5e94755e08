#pragma once
// Small helpers shared by the three windows: twip geometry, named controls, box texts.

#include <QFont>
#include <QString>
#include <QWidget>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QFrame;

namespace tomokari {

// Positions are laid out in twips; 15 twips are one pixel at the logical 96 dpi.
constexpr int px(int twips) { return (twips + 7) / 15; }
void placeTwips(QWidget* widget, int left, int top, int width, int height);

// Gives the object its name and marks it as one of the window's own controls, the set that
// the scripted runner reports.
template <typename T>
T* named(T* object, const QString& name) {
    object->setObjectName(name);
    object->setProperty("tomokariControl", true);
    return object;
}
QString indexedName(const char* group, int index);  // "mat1(7)"

// The engine joins lines with CR LF; Qt's widgets break lines at LF.
QString displayText(const std::string& text);
std::string engineText(const QString& text);

// What a control shows: a text box's contents, or the caption of a button, label, frame,
// menu or menu item. Null for a control without text (a line).
QString controlText(const QObject* control);
void setBoxText(QWidget* box, const QString& text);

// The Japanese UI font: MS PGothic where installed, else an installed Japanese family.
QFont japaneseFont(double pointSize);
void setPointSize(QWidget* widget, double pointSize);

// A read-only multi-line display box (the cells and margins of the secondary windows).
QLabel* makeDisplayBox(QWidget* parent, Qt::Alignment alignment, bool buttonFace);

// A straight rule between two points given in twips.
QFrame* makeLine(QWidget* parent, int x1, int y1, int x2, int y2);

}  // namespace tomokari
