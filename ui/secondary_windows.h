#pragma once
// The expected-values window (Form3) and the residuals window (Form1): display only.

#include <QWidget>

#include "ui/grid.h"

class QPlainTextEdit;

namespace tomokari {

class Form3 : public QWidget {
public:
    Form3();
    const Grid& grid() const { return grid_; }
    void setNote(const QString& text);

private:
    Grid grid_;
    QPlainTextEdit* note_ = nullptr;
};

class Form1 : public QWidget {
public:
    Form1();
    const Grid& grid() const { return grid_; }

private:
    Grid grid_;
};

// Brings a secondary window on screen in front of the others, without taking it over.
void showInFront(QWidget* window);

}  // namespace tomokari
