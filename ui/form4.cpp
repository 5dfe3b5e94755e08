#include "ui/form4.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <cmath>

#include "engine/chi_square.h"
#include "engine/number_text.h"
#include "engine/power.h"
#include "engine/residuals.h"
#include "engine/window_texts.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/secondary_windows.h"
#include "ui/texts.h"

namespace tomokari {

namespace {

QString caption(const char* first, const char* second) {
    return QString::fromUtf8(first) + QLatin1Char('\n') + QString::fromUtf8(second);
}

QString numberedHeading(const char* word, int number) {
    return QString::fromUtf8(word) + QString::fromStdString(signedNumberText(number));
}

QLineEdit* makeTotalBox(QWidget* parent, const QString& name) {
    auto* box = named(new QLineEdit(parent), name);
    box->setAlignment(Qt::AlignCenter);
    box->setReadOnly(true);  // totals are results, never input
    box->setFocusPolicy(Qt::NoFocus);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
    return box;
}

// A size entry counts when it reads as a whole number; 2.5 is no size.
bool isWhole(double value) { return std::isfinite(value) && value == std::floor(value); }

}  // namespace

Form4::Form4(Dialogs& dialogs) : dialogs_(dialogs) {
    named(this, QStringLiteral("Form4"));
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    setFont(japaneseFont(9.75));
    buildControls();
    buildMenus();

    restoreText_ = displayText(degreesOfFreedomNote());
    explanation_->setPlainText(restoreText_);

    form3_ = std::make_unique<Form3>();
    form3_->setNote(QString::fromUtf8(kExpectedWindowPrompt));
    form1_ = std::make_unique<Form1>();
}

Form4::~Form4() = default;

QPushButton* Form4::makeButton(const QString& name, const QString& text, int left, int top, int width, int height) {
    auto* button = named(new QPushButton(text, centralWidget()), name);
    placeTwips(button, left, top, width, height);
    setPointSize(button, 9);
    return button;
}

void Form4::buildControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(px(5835), px(6945));
    setCentralWidget(client);

    auto label = [client](const QString& name, const QString& text, int left, int top, int width, int height) {
        auto* l = named(new QLabel(text, client), name);
        placeTwips(l, left, top, width, height);
        setPointSize(l, 9);
        return l;
    };
    label(QStringLiteral("Label10"), QStringLiteral("1～4行"), 1995, 120, 735, 255);
    label(QStringLiteral("Label11"), QStringLiteral("2～5列"), 2880, 120, 585, 375);
    setPointSize(label(QStringLiteral("Label12"), QStringLiteral("クロス表"), 1200, 480, 735, 375), 10);

    auto sizeEntry = [client](const QString& name, const QString& text, int left) {
        auto* entry = named(new QLineEdit(text, client), name);
        entry->setAlignment(Qt::AlignCenter);
        placeTwips(entry, left, 351, 481, 450);
        setPointSize(entry, 14);
        return entry;
    };
    rowsEntry_ = sizeEntry(QStringLiteral("Text12"), QStringLiteral("4"), 2106);
    columnsEntry_ = sizeEntry(QStringLiteral("Text13"), QStringLiteral("5"), 2925);
    enteredRows_ = 4;
    enteredColumns_ = 5;

    QPushButton* ok = makeButton(QStringLiteral("Command1"), QStringLiteral("ＯＫ(1)"), 3978, 351, 735, 495);
    connect(ok, &QPushButton::clicked, this, &Form4::confirmSize);
    // Enter in either size box presses OK.
    connect(rowsEntry_, &QLineEdit::returnPressed, ok, &QPushButton::click);
    connect(columnsEntry_, &QLineEdit::returnPressed, ok, &QPushButton::click);
    connect(makeButton(QStringLiteral("Command2"), QStringLiteral("クリア"), 4914, 351, 735, 495),
            &QPushButton::clicked, this, &Form4::clearSize);

    auto* frame = named(new QGroupBox(QStringLiteral("解　説"), client), QStringLiteral("Frame1"));
    placeTwips(frame, 120, 840, 5629, 2415);
    setPointSize(frame, 8.25);
    explanation_ = named(new QPlainTextEdit(frame), QStringLiteral("Text11"));
    explanation_->setReadOnly(true);
    explanation_->setTabChangesFocus(true);
    explanation_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setPointSize(explanation_, 9);
    placeTwips(explanation_, 117, 234, 5395, 2002);

    connect(makeButton(QStringLiteral("Command6"), QStringLiteral("終　了"), 4200, 3360, 1215, 255),
            &QPushButton::clicked, this, &Form4::askToExit);

    const int headingLefts[kMaxColumns] = {840, 1440, 2040, 2640, 3240};
    const int headingWidths[kMaxColumns] = {495, 615, 600, 600, 600};
    for (int j = 0; j < kMaxColumns; ++j) {
        grid_.columnHeadings[j] =
            label(indexedName("Retlab", j), numberedHeading("列", j + 1), headingLefts[j], 3390, headingWidths[j], 255);
    }
    const int rowTops[kMaxRows] = {3840, 4320, 4800, 5280};
    for (int i = 0; i < kMaxRows; ++i) {
        grid_.rowHeadings[i] =
            label(indexedName("Gyolab", i), numberedHeading("行", i + 1), 240, rowTops[i], 495, i == 3 ? 255 : 375);
    }
    for (int i = 1; i <= kMaxRows; ++i) {
        for (int j = 1; j <= kMaxColumns; ++j) {
            const int k = cellIndex(i, j);
            auto* cell = named(new QLineEdit(QString::number(10 * i + j), client), indexedName("mat1", k));
            cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setPointSize(cell, 9);
            placeTwips(cell, 720 + 600 * (j - 1), 3720 + 480 * (i - 1), 615, 495);
            grid_.cells[k] = cell;
        }
    }
    const int totalTops[kMaxRows] = {3744, 4200, 4680, 5160};
    for (int i = 0; i < kMaxRows; ++i) {
        auto* box = makeTotalBox(client, indexedName("Ikei", i));
        box->setText(QStringLiteral("0"));
        placeTwips(box, 3960, totalTops[i], 615, 495);
        setPointSize(box, 9);
        grid_.rowBoxes[i] = box;
    }
    for (int j = 0; j < kMaxColumns; ++j) {
        auto* box = makeTotalBox(client, indexedName("Jkei", j));
        box->setText(QStringLiteral("0"));
        placeTwips(box, 720 + 600 * j, 5880, 615, j < 3 ? 495 : 481);
        setPointSize(box, 9);
        grid_.columnBoxes[j] = box;
    }
    auto* grand = makeTotalBox(client, QStringLiteral("Text10"));
    grand->setText(QStringLiteral("総計"));
    placeTwips(grand, 3960, 5880, 585, 465);
    setPointSize(grand, 9);
    grid_.grandBox = grand;

    named(makeLine(client, 3840, 3630, 3840, 6360), QStringLiteral("Line1"));
    named(makeLine(client, 600, 5760, 4560, 5760), QStringLiteral("Line2"));

    connect(makeButton(QStringLiteral("Command7"), caption("合計", "する(2)"), 4920, 3744, 735, 495),
            &QPushButton::clicked, this, &Form4::runTotalsStep);
    QPushButton* dataClear = makeButton(QStringLiteral("Command4"), caption("データ", "クリア"), 4920, 4320, 735, 375);
    setPointSize(dataClear, 8.25);
    connect(dataClear, &QPushButton::clicked, this, &Form4::clearData);
    powerButton_ = makeButton(QStringLiteral("Command8"), caption("検定力", "分析"), 4920, 4800, 735, 495);
    setPointSize(powerButton_, 9.75);
    powerButton_->hide();
    connect(powerButton_, &QPushButton::clicked, this, &Form4::runPowerStep);
    residualButton_ = makeButton(QStringLiteral("Command3"), caption("残差", "分析(4)"), 4920, 5400, 735, 495);
    residualButton_->hide();
    connect(residualButton_, &QPushButton::clicked, this, &Form4::runResidualStep);
    connect(makeButton(QStringLiteral("Command5"), caption("χ2", "実行(3)"), 4920, 6120, 735, 495),
            &QPushButton::clicked, this, &Form4::runTestStep);

    label(QStringLiteral("Label13"), QString::fromUtf8(kCreditLine), 600, 6720, 4455, 240);
    setKeyboardOrder();
}

void Form4::setKeyboardOrder() {
    // The order of the workflow: size, OK, the cells row by row, then the step buttons.
    QStringList order = {QStringLiteral("Text12"), QStringLiteral("Text13"), QStringLiteral("Command1")};
    for (int k = 0; k < kCellCount; ++k) order << indexedName("mat1", k);
    order << QStringLiteral("Command7") << QStringLiteral("Command5") << QStringLiteral("Command3")
          << QStringLiteral("Command8") << QStringLiteral("Command2") << QStringLiteral("Command4")
          << QStringLiteral("Command6") << QStringLiteral("Text11");
    QWidget* previous = nullptr;
    for (const QString& name : order) {
        QWidget* widget = centralWidget()->findChild<QWidget*>(name);
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }
    // F10 opens the menu bar, so that every menu item is reachable without a mouse.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
}

void Form4::buildMenus() {
    QMenuBar* bar = menuBar();
    connect(named(bar->addAction(QStringLiteral("終了")), QStringLiteral("owari")), &QAction::triggered, this,
            &Form4::askToExit);

    QMenu* setsumei = named(bar->addMenu(QStringLiteral("説明")), QStringLiteral("setsumei"));
    QMenu* hosoku = named(bar->addMenu(QStringLiteral("χ2検定の補足")), QStringLiteral("hosoku"));
    QMenu* kentei = named(bar->addMenu(QStringLiteral("検定力について")), QStringLiteral("kentei"));
    for (const ScreenItem& item : kScreenItems) {
        QMenu* menu = item.screen == Screen::Usage || item.screen == Screen::About ? setsumei
                      : item.screen == Screen::Power                              ? kentei
                                                                                   : hosoku;
        QAction* action = named(menu->addAction(QString::fromUtf8(item.caption)), QString::fromUtf8(item.name));
        connect(action, &QAction::triggered, this, [this, &item] { showScreen(item); });
    }
    const std::pair<QMenu*, const char*> returns[] = {
        {setsumei, "setsumei_modoru"}, {hosoku, "setsumei_modoru2"}, {kentei, "modoruken"}};
    for (const auto& [menu, name] : returns) {
        QAction* action = named(menu->addAction(QStringLiteral("元に戻る")), QString::fromUtf8(name));
        connect(action, &QAction::triggered, this, &Form4::returnFromScreen);
    }
}

std::optional<QString> Form4::startUp(const QString& programDirectory) {
    TableLoadResult loaded = loadReferenceTables(programDirectory.toStdString());
    if (!loaded.tables) return QString::fromStdString(loaded.error->message());
    tables_ = *loaded.tables;
    show();
    showInFront(form3_.get());
    return std::nullopt;
}

void Form4::setExplanation(const QString& text) { explanation_->setPlainText(text); }

void Form4::confirmSize() {
    sizeConfirmed_ = true;
    totalsDone_ = false;
    enteredRows_ = cellTextValue(rowsEntry_->text().toStdString());
    enteredColumns_ = cellTextValue(columnsEntry_->text().toStdString());
    form1_->hide();
    residualButton_->hide();

    if (!isWhole(enteredRows_) || !isWhole(enteredColumns_) || enteredRows_ < 1 || enteredRows_ > kMaxRows ||
        enteredColumns_ < 2 || enteredColumns_ > kMaxColumns) {
        rowsEntry_->setText(QStringLiteral("?"));
        columnsEntry_->setText(QStringLiteral("?"));
        clearShape(table_);
        return;
    }
    const int rows = static_cast<int>(enteredRows_);
    const int columns = static_cast<int>(enteredColumns_);
    setSize(table_, rows, columns);
    degreesOfFreedom_ = degreesOfFreedomFor(rows, columns);

    grid_.showShape(rows, columns, true);
    form3_->grid().showShape(rows, columns, true);
    form1_->grid().showShape(rows, columns, false);
    setExplanation(restoreText_);
}

void Form4::clearSize() {
    rowsEntry_->clear();
    columnsEntry_->clear();
}

void Form4::runTotalsStep() {
    totalsDone_ = true;
    setExplanation(restoreText_);
    reset(table_);
    for (QWidget* box : grid_.rowBoxes) setBoxText(box, QStringLiteral("0"));
    for (QWidget* box : grid_.columnBoxes) setBoxText(box, QStringLiteral("0"));
    displayDecimals_ = 3;

    if (isValidShape(table_.shapeCode)) {
        readCells(table_, cellEntries());
        computeTotals(table_);
        computeExpectedValues(table_);
        if (isComputable(table_)) {
            grid_.apply(mainWindowTotals(table_));
            form3_->grid().apply(expectedWindowTotals(table_, displayDecimals_));
        } else {
            form3_->setNote(QString::fromUtf8(kNotComputableMessage));
        }
    }
    showInFront(form3_.get());
}

void Form4::runTestStep() {
    // Until a valid size has ever been confirmed there is no shape, df or title to test with.
    if (!sizeConfirmed_ || !totalsDone_ || table_.rowCount == 0) return;

    setExplanation(displayText(significanceHeader(degreesOfFreedom_, tables_.critical, displayDecimals_)));
    restoreText_ = explanation_->toPlainText();
    displayDecimals_ = 3;

    const ChiSquareResult result = computeChiSquareTest(table_, tables_.critical);
    if (result.expectedZero || result.notComputable) {
        form3_->setNote(QString::fromUtf8(result.expectedZero ? kExpectedZeroMessage : kNotComputableMessage));
        return;
    }
    form3_->grid().apply(expectedWindowTest(table_, result, displayDecimals_));
    lastChiSquare_ = result.chiSquare;
    lastLikelihoodRatio_ = result.likelihoodRatio;
    degreesOfFreedom_ = result.degreesOfFreedom;

    form1_->grid().apply(rawResidualTexts(table_, displayDecimals_));
    showInFront(form1_.get());

    const bool smallShape = isSmallShape(table_.shapeCode);
    if (table_.rowCount >= 2) {
        if (!smallShape) residualButton_->setText(caption("残差", "分析"));
        residualButton_->show();
    }
    if (!smallShape) powerButton_->setText(caption("検定力", "分析"));
    powerButton_->show();
}

std::array<std::string, kCellCount> Form4::cellEntries() const {
    std::array<std::string, kCellCount> texts;
    for (int k = 0; k < kCellCount; ++k) texts[k] = controlText(grid_.cells[k]).toStdString();
    return texts;
}

void Form4::runResidualStep() {
    setExplanation(displayText(residualExplanation()));
    if (!isValidShape(table_.shapeCode) || table_.rowCount < 2) return;

    displayDecimals_ = 3;
    const ResidualResult result = computeResiduals(table_, cellEntries(), displayDecimals_);
    if (result.failure.kind != ResidualFailure::None) {
        dialogs_.showMessage(this, windowTitle(), QString::fromStdString(result.failure.message()));
        return;
    }
    form1_->grid().apply(residualTexts(table_, result.table));
    showInFront(form1_.get());
}

void Form4::runPowerStep() {
    if (!sizeConfirmed_ || !totalsDone_ || table_.rowCount == 0) return;
    const std::optional<double> omega = omegavalue(lastChiSquare_, table_.grandTotal);
    if (!omega) {
        dialogs_.showMessage(this, windowTitle(), QString::fromUtf8(kPowerNotComputableMessage));
        return;
    }
    lastOmega_ = *omega;
    const SampleSizeEstimate estimate = estimateSampleSize(*omega, degreesOfFreedom_, tables_.power);
    setExplanation(displayText(powerReport(*omega, degreesOfFreedom_, estimate, tables_.power, displayDecimals_)));
}

void Form4::clearData() {
    if (!dialogs_.askYesNo(this, QString(), QString::fromUtf8(kDataClearQuestion))) return;
    for (QWidget* cell : grid_.cells) setBoxText(cell, QString());
}

bool Form4::confirmExit() {
    return dialogs_.askYesNo(this, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kExitQuestion));
}

void Form4::askToExit() {
    if (confirmExit()) endProgram();
}

void Form4::showScreen(const ScreenItem& item) {
    if (item.savesText && !helpShown_) restoreText_ = explanation_->toPlainText();
    if (item.marksHelpShown) helpShown_ = true;
    setExplanation(displayText(screenText(item.screen)));
}

void Form4::returnFromScreen() {
    helpShown_ = false;
    setExplanation(restoreText_);
}

void Form4::closeEvent(QCloseEvent* event) {
    // The title bar's close button asks like the exit commands; No keeps everything as it is.
    if (!confirmExit()) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram();
}

void Form4::endProgram() {
    form1_->hide();
    form3_->hide();
    hide();
    dialogs_.quitProgram();
}

}  // namespace tomokari
