#pragma once
// The three windows: the main window (Form4), the expected-values window (Form3) and the
// residuals window (Form1). Each builds its controls from the layout and reports the close
// button of its title bar; what that does is the workflow's business.

#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "ui/controls.h"

namespace tomokari {

using CloseHandler = std::function<void()>;

class MainWindow : public QMainWindow {
public:
    MainWindow();
    const ControlSet& controls() const { return controls_; }
    void onClose(CloseHandler handler) { onClose_ = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setKeyboardOrder();

    ControlSet controls_;
    CloseHandler onClose_;
};

// A window of display boxes beside the main window.
class SecondaryWindow : public QWidget {
public:
    explicit SecondaryWindow(WindowId id);
    const ControlSet& controls() const { return controls_; }
    void onClose(CloseHandler handler) { onClose_ = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ControlSet controls_;
    CloseHandler onClose_;
};

class ExpectedValuesWindow final : public SecondaryWindow {
public:
    ExpectedValuesWindow();
};

class ResidualsWindow final : public SecondaryWindow {
public:
    ResidualsWindow() : SecondaryWindow(WindowId::Residuals) {}
};

}  // namespace tomokari
