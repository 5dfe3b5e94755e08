#include "ui/windows.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionFrame>
#include <QTextDocument>

namespace tomokari {

namespace {

// Its name, title and font.
void setUpWindow(QWidget* window, const WindowLayout& layout) {
    window->setObjectName(QString::fromStdString(layout.name));
    window->setWindowTitle(QString::fromStdString(layout.title));
    if (layout.pointSize > 0) window->setFont(japaneseFont(layout.pointSize));
}

// A screen reader meets a secondary window as a window with its title, as it meets the main
// window; Qt would report a plain top-level widget as a client area, which AT-SPI calls a filler.
QAccessibleInterface* secondaryWindowInterface(const QString&, QObject* object) {
    auto* window = dynamic_cast<SecondaryWindow*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

// The style reads pictures of its own by name: the arrow of the menu bar's overflow button when
// the bar is made, the frame of a group box when one is first drawn. For a picture read by name
// Qt first asks every image plug-in installed whether it reads the picture's format, loading
// each one and what it links, which takes longer than making the whole menu bar; the pictures
// are PNGs, which Qt reads itself. Both are read here with no plug-in directory in sight (the
// frame's picture stays in Qt's pixmap cache for the group box), and no plug-in is loaded.
QMenuBar* menuBarWithoutPlugins(QMainWindow* window) {
    QApplication::style();  // chosen first, where the desktop asks for one from a plug-in
    const QStringList directories = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    QMenuBar* bar = window->menuBar();
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    QStyleOptionFrame frame;
    frame.rect = pixel.rect();
    QApplication::style()->drawPrimitive(QStyle::PE_FrameGroupBox, &frame, &painter);
    painter.end();
    QCoreApplication::setLibraryPaths(directories);
    return bar;
}

}  // namespace

MainWindow::MainWindow() {
    const WindowLayout& layout = windowLayout(WindowId::Main);
    setUpWindow(this, layout);
    auto* client = new QWidget(this);
    client->setFixedSize(px(layout.client.width), px(layout.client.height));
    setCentralWidget(client);
    controls_.build(layout, client, menuBarWithoutPlugins(this));

    auto* explanation = static_cast<QPlainTextEdit*>(controls_.find("Text11"));
    explanation->setTabChangesFocus(true);
    explanation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setKeyboardOrder();
}

void MainWindow::setKeyboardOrder() {
    QWidget* previous = nullptr;
    for (const std::string& name : mainKeyboardOrder()) {
        auto* widget = static_cast<QWidget*>(controls_.find(name));
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }
    // Enter in a size box presses OK; in a cell it moves on, as in a spreadsheet.
    auto* ok = static_cast<QPushButton*>(controls_.find("Command1"));
    for (const ControlLayout& control : windowLayout(WindowId::Main).controls) {
        if (control.enter == EnterKey::Nothing) continue;
        auto* box = static_cast<QLineEdit*>(controls_.find(control.name));
        if (control.enter == EnterKey::PressesOk) connect(box, &QLineEdit::returnPressed, ok, &QPushButton::click);
        else connect(box, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    }
    // F10 opens the menu bar, so that every menu item is reachable without a mouse.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The workflow asks first and hides the window itself when the answer is yes.
    event->ignore();
    if (onClose_) onClose_();
}

SecondaryWindow::SecondaryWindow(WindowId id) {
    [[maybe_unused]] static const bool heardAsWindows = (QAccessible::installFactory(secondaryWindowInterface), true);
    const WindowLayout& layout = windowLayout(id);
    setUpWindow(this, layout);
    // The client area at its place; the window manager puts the frame around it.
    setGeometry(px(layout.client.left), px(layout.client.top), px(layout.client.width), px(layout.client.height));
    setFixedSize(size());
    controls_.build(layout, this, nullptr);
}

void SecondaryWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onClose_) onClose_();
}

ExpectedValuesWindow::ExpectedValuesWindow() : SecondaryWindow(WindowId::ExpectedValues) {
    // Three lines of the result block fit without a scroll bar only with a thin margin.
    static_cast<QPlainTextEdit*>(controls().find("Text11"))->document()->setDocumentMargin(1);
}

}  // namespace tomokari
