#include "ui/program.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "ui/dialogs.h"

namespace tomokari {

Program::Program(Dialogs& dialogs) : dialogs_(dialogs) {}

Program::~Program() = default;

QWidget& Program::window(WindowId id) {
    switch (id) {
        case WindowId::Main: return main_;
        case WindowId::ExpectedValues: return expectedValuesWindow();
        case WindowId::Residuals: return residualsWindow();
        case WindowId::Figure: break;
    }
    return figureWindow();
}

ExpectedValuesWindow& Program::expectedValuesWindow() { return make(expectedValues_, WindowId::ExpectedValues); }
ResidualsWindow& Program::residualsWindow() { return make(residuals_, WindowId::Residuals); }
FigureWindow& Program::figureWindow() { return make(figure_, WindowId::Figure, dialogs_); }

SecondaryWindow* Program::made(WindowId id) const {
    switch (id) {
        case WindowId::Main: break;
        case WindowId::ExpectedValues: return expectedValues_.get();
        case WindowId::Residuals: return residuals_.get();
        case WindowId::Figure: return figure_.get();
    }
    return nullptr;
}

template <typename W, typename... Args>
W& Program::make(std::unique_ptr<W>& window, WindowId id, Args&... args) {
    if (window) return *window;
    window = std::make_unique<W>(args...);
    window->onClose([this, id] { perform([this, id] { workflow_->close(id); }); });
    if (workflow_) showWindowState(id, workflow_->view());
    return *window;
}

void Program::showWindowState(WindowId id, const ViewState& view) {
    const WindowState& state = view.windows[static_cast<size_t>(id)];
    if (id == WindowId::Main) return main_.controls().apply(state);
    made(id)->controls().apply(state);
    if (id == WindowId::Figure) figure_->setPicture(view.picture, view.pictureValues);
}

std::optional<QString> Program::startUp(const QString& programDirectory) {
    TableLoadResult loaded = loadReferenceTables(programDirectory.toStdString());
    if (!loaded.tables) return QString::fromStdString(loaded.error->message());
    workflow_ = std::make_unique<Workflow>(*loaded.tables);
    connectControls();
    showState();
    return std::nullopt;
}

void Program::connectControls() {
    for (QObject* control : main_.controls().all()) {
        const std::string name = control->objectName().toStdString();
        if (auto* box = dynamic_cast<InputBox*>(control)) {
            QObject::connect(box, &QLineEdit::textChanged, [this, box, name](const QString& text) {
                workflow_->type(name, text.toStdString());
                // The box shows what the core keeps: beyond its limit, that is less than was typed.
                const QString kept = fromCore(workflow_->control(WindowId::Main, name).text);
                if (kept == text) return;
                const QSignalBlocker blocker(box);
                box->setText(kept);
            });
            box->onPaste = [this, name](const QString& text) { perform([&] { workflow_->paste(name, text.toStdString()); }); };
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QObject::connect(button, &QPushButton::clicked, [this, name] { perform([&] { workflow_->press(name); }); });
        } else if (auto* item = qobject_cast<QAction*>(control)) {
            QObject::connect(item, &QAction::triggered, [this, name] { perform([&] { workflow_->choose(name); }); });
        }
    }
    qApp->installEventFilter(this);
    main_.onClose([this] { perform([this] { workflow_->close(WindowId::Main); }); });
}

template <typename Action>
void Program::perform(Action action) {
    action();
    const ViewState& view = workflow_->view();
    // The boxes come up over the windows as the action left them.
    std::vector<Prompt> messages = view.messages;
    std::optional<Prompt> question = view.question;
    showState();
    for (const Prompt& message : messages) {
        dialogs_.showMessage(&main_, fromCore(message.caption), fromCore(message.text));
    }
    if (question) {
        workflow_->answer(dialogs_.askYesNo(&main_, fromCore(question->caption), fromCore(question->text)));
        showState();
        if (workflow_->view().exited) dialogs_.quitProgram();
    }
}

bool Program::eventFilter(QObject* receiver, QEvent* event) {
    auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!key || !widget || !key->matches(QKeySequence::Copy) || !workflow_) return false;
    // Ctrl+C with a selection inside a box copies the selection, as everywhere.
    auto* line = qobject_cast<QLineEdit*>(widget);
    auto* area = qobject_cast<QPlainTextEdit*>(widget);
    auto* label = qobject_cast<QLabel*>(widget);
    if ((line && line->hasSelectedText()) || (area && area->textCursor().hasSelection()) || (label && label->hasSelectedText())) {
        return false;
    }
    // The picture window copies the picture with its caption; the others their tables.
    if (figure_ && widget->window() == figure_.get()) {
        figure_->copyToClipboard();
        return true;
    }
    for (const WindowLayout& layout : windowLayouts()) {
        const QWidget* other = layout.id == WindowId::Main ? static_cast<QWidget*>(&main_) : made(layout.id);
        if (widget->window() != other) continue;
        QGuiApplication::clipboard()->setText(fromCore(workflow_->copyTable(layout.id)));
        return true;
    }
    return false;
}

void Program::showState() {
    const ViewState& view = workflow_->view();
    for (const WindowLayout& layout : windowLayouts()) {
        if (layout.id == WindowId::Main || made(layout.id)) showWindowState(layout.id, view);
    }
    // In the layout's order, the main window first: each of the others is made as it comes up.
    for (const WindowLayout& layout : windowLayouts()) {
        const bool shown = view.windows[static_cast<size_t>(layout.id)].shown;
        if (layout.id != WindowId::Main && !shown && !made(layout.id)) continue;
        QWidget& w = window(layout.id);
        if (shown == w.isVisible()) continue;
        if (shown) placement_.beforeShow(layout.id);
        w.setVisible(shown);
    }
    for (WindowId id : view.raised) window(id).raise();
}

}  // namespace tomokari
