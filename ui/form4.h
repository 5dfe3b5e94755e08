#pragma once
// The main window: size entry, the grid of cells and totals, the workflow buttons, the
// explanation area and the menus. It owns the table, the reference tables and the
// workflow state for the life of the program.

#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>

#include "engine/cross_table.h"
#include "tables/reference_tables.h"
#include "ui/grid.h"
#include "ui/texts.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tomokari {

class Dialogs;
class Form1;
class Form3;

class Form4 : public QMainWindow {
public:
    explicit Form4(Dialogs& dialogs);
    ~Form4() override;

    // Loads the reference tables from `programDirectory` and shows the main and the
    // expected-values window. On failure nothing is shown and the message is returned.
    std::optional<QString> startUp(const QString& programDirectory);

    Form3* expectedWindow() const { return form3_.get(); }
    Form1* residualsWindow() const { return form1_.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void setKeyboardOrder();
    QPushButton* makeButton(const QString& name, const QString& caption, int left, int top, int width, int height);

    // The workflow steps, one per button.
    void confirmSize();  // Command1
    void clearSize();    // Command2
    void runTotalsStep();  // Command7
    void runTestStep();    // Command5
    void runResidualStep();  // Command3
    void runPowerStep();     // Command8
    void clearData();        // Command4
    void askToExit();        // Command6 and the menu command owari
    bool confirmExit();
    void showScreen(const ScreenItem& item);
    void returnFromScreen();

    // The texts of all twenty cell entries, by cell index.
    std::array<std::string, kCellCount> cellEntries() const;
    void setExplanation(const QString& text);
    void endProgram();

    Dialogs& dialogs_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form1> form1_;

    CrossTable table_;
    ReferenceTables tables_;
    bool sizeConfirmed_ = false;
    bool totalsDone_ = false;
    bool helpShown_ = false;
    QString restoreText_;
    double enteredRows_ = 0;
    double enteredColumns_ = 0;
    int degreesOfFreedom_ = 0;
    int displayDecimals_ = 3;
    double lastChiSquare_ = 0;
    double lastLikelihoodRatio_ = 0;
    double lastOmega_ = 0;

    Grid grid_;
    QLineEdit* rowsEntry_ = nullptr;     // Text12
    QLineEdit* columnsEntry_ = nullptr;  // Text13
    QPlainTextEdit* explanation_ = nullptr;  // Text11
    QPushButton* residualButton_ = nullptr;  // Command3
    QPushButton* powerButton_ = nullptr;     // Command8
};

}  // namespace tomokari
