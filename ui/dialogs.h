#pragma once
// The seam through which the windows ask yes/no questions, show messages and end the
// program, so that the scripted runner and the tests can answer in place of a person.

#include <QString>

class QWidget;

namespace tomokari {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal question with Yes and No, no icon, Yes the default. An empty caption means the
    // box has none of its own and shows the program's title.
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;

    // A modal message with only an OK button.
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text) = 0;

    // Ends the program once the windows have closed.
    virtual void quitProgram() = 0;
};

// The real thing: message boxes on the screen, and the application's event loop ended.
class MessageBoxDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override;
    void showMessage(QWidget* parent, const QString& caption, const QString& text) override;
    void quitProgram() override;
};

}  // namespace tomokari
