#include "ui/windows.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>

namespace tomokari {

namespace {

void setWindowFont(QWidget* window, const WindowSpec& spec) {
    window->setObjectName(QString::fromStdString(spec.name));
    window->setProperty("tomokariControl", true);
    window->setWindowTitle(QString::fromStdString(spec.title));
    if (spec.pointSize > 0) window->setFont(japaneseFont(spec.pointSize));
}

}  // namespace

MainWindow::MainWindow() {
    const WindowSpec& spec = windowSpec(WindowId::Main);
    setWindowFont(this, spec);
    auto* client = new QWidget(this);
    client->setFixedSize(px(spec.client.width), px(spec.client.height));
    setCentralWidget(client);
    controls_.build(spec, client, menuBar());

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
    // Enter in either size box presses OK.
    auto* ok = static_cast<QPushButton*>(controls_.find("Command1"));
    for (const char* name : {"Text12", "Text13"}) {
        connect(static_cast<QLineEdit*>(controls_.find(name)), &QLineEdit::returnPressed, ok, &QPushButton::click);
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
    const WindowSpec& spec = windowSpec(id);
    setWindowFont(this, spec);
    // The client area at its place; the window manager puts the frame around it.
    setGeometry(px(spec.client.left), px(spec.client.top), px(spec.client.width), px(spec.client.height));
    setFixedSize(size());
    controls_.build(spec, this, nullptr);
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
