#pragma once
// The desktop front end: the four windows over one workflow core. It forwards what the user
// does to the core and shows the core's state; questions and messages go through the
// Dialogs seam.

#include <QObject>
#include <QString>
#include <clocale>
#include <memory>
#include <optional>

#include "engine/workflow.h"
#include "ui/figure_window.h"
#include "ui/placement.h"
#include "ui/windows.h"

namespace tomokari {

class Dialogs;

class Program : public QObject {
public:
    explicit Program(Dialogs& dialogs);
    ~Program();

    // Loads the reference tables from `programDirectory` and shows the windows. On failure
    // nothing is shown and the message is returned.
    std::optional<QString> startUp(const QString& programDirectory);

    MainWindow& mainWindow() { return main_; }
    // The other windows are made when first shown or asked for: the main window comes up without
    // waiting for them, and a start that shows no residuals or picture pays nothing for them.
    ExpectedValuesWindow& expectedValuesWindow();
    ResidualsWindow& residualsWindow();
    FigureWindow& figureWindow();
    QWidget& window(WindowId id);

protected:
    // Ctrl+C with nothing selected copies the whole table of the window it was pressed in.
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void connectControls();
    // Runs one action on the core, puts its question and messages to the user, and shows
    // the state that results.
    template <typename Action>
    void perform(Action action);
    void showState();
    // The window if it has been made, else null.
    SecondaryWindow* made(WindowId id) const;
    // Makes a secondary window showing the core's state, its close button told to the core.
    template <typename W, typename... Args>
    W& make(std::unique_ptr<W>& window, WindowId id, Args&... args);
    void showWindowState(WindowId id, const ViewState& view);

    // QApplication hands the user's locale to the C library too. Numbers must be written and
    // read with a point whatever it says, or German settings turn 20.374 into "2,.0374"; so
    // this comes before the windows, whose captions hold numbers.
    struct NumbersWithAPoint {
        NumbersWithAPoint() { std::setlocale(LC_NUMERIC, "C"); }
    } numbersWithAPoint_;
    Dialogs& dialogs_;
    MainWindow main_;
    std::unique_ptr<ExpectedValuesWindow> expectedValues_;
    std::unique_ptr<ResidualsWindow> residuals_;
    std::unique_ptr<FigureWindow> figure_;
    WindowPlacement placement_{[this](WindowId id) -> QWidget& { return window(id); }};
    std::unique_ptr<Workflow> workflow_;
};

}  // namespace tomokari
