#pragma once
// The widgets of the three windows, built from their declarations in the layout, and the
// two ways between a widget and its state: read what it shows, set what it should show.

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/layout.h"
#include "engine/workflow.h"

class QMenuBar;
class QSvgRenderer;

namespace tomokari {

// Positions are laid out in twips; 15 twips are one pixel at the logical 96 dpi.
constexpr int px(int twips) { return (twips + 7) / 15; }

// The Japanese UI font: MS PGothic where installed, else an installed Japanese family.
QFont japaneseFont(double pointSize);

// A text of the core's (UTF-8) as it is: a leading U+FEFF stays a character, where
// QString::fromUtf8 would drop it as a byte-order mark and show less than the core holds.
QString fromCore(std::string_view text);

// What a control shows: a text box's contents, or the caption of a button, label, frame,
// menu or menu item. Null for a control without text (a line).
QString controlText(const QObject* control);

// An input box whose pastes (Ctrl+V and the context menu's paste) go to `onPaste` with the
// clipboard's text, so that the workflow decides what a paste fills.
class InputBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(const QString&)> onPaste;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The picture of the test, drawn from SVG text to fill its width (and no more than its height),
// sharp at any scale; white where nothing is drawn.
class PictureBox : public QWidget {
public:
    using QWidget::QWidget;
    void setSvg(const QByteArray& svg);
    const QByteArray& svg() const { return svg_; }
    // The picture alone on white, `scale` device pixels to a pixel of its own.
    QImage image(double scale) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QByteArray svg_;
    QSvgRenderer* renderer_ = nullptr;  // made when the first picture comes
};

// The controls of one window, by the order of their declarations.
class ControlSet {
public:
    // Creates every control of the window: widgets inside `client`, menus in `menuBar`.
    void build(const WindowLayout& layout, QWidget* client, QMenuBar* menuBar);

    // Throws std::out_of_range for a name that is no control of the window.
    QObject* find(const std::string& name) const;
    const std::vector<QObject*>& all() const { return controls_; }

    // Makes every control show its state and say its name to screen readers; unchanged ones
    // are left alone.
    void apply(const WindowState& state) const;

private:
    // Texts fit their places in whatever Japanese font was found: a label grows downward up to
    // the window's edge or the first control stacked above it; a caption that still does not
    // fit, and the text of a box in a font with taller lines than the layout was made for, are
    // drawn smaller until they do.
    void fitCaptions() const;

    const WindowLayout* layout_ = nullptr;
    std::vector<QObject*> controls_;
    std::map<std::string, QObject*> byName_;
};

}  // namespace tomokari
