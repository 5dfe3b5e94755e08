#include "ui/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>

namespace tomokari {

void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

QString indexedName(const char* group, int index) { return QStringLiteral("%1(%2)").arg(QLatin1String(group)).arg(index); }

QString displayText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return result;
}

std::string engineText(const QString& text) {
    QString result = text;
    result.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return result.toStdString();
}

QString controlText(const QObject* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(control)) return edit->toPlainText();
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    if (auto* menu = qobject_cast<const QMenu*>(control)) return menu->title();
    if (auto* action = qobject_cast<const QAction*>(control)) return action->text();
    return {};
}

void setBoxText(QWidget* box, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) {
        edit->setPlainText(text);
    } else if (auto* label = qobject_cast<QLabel*>(box)) {
        label->setText(text);
    }
}

QFont japaneseFont(double pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    font.setPointSizeF(pointSize);
    return font;
}

void setPointSize(QWidget* widget, double pointSize) {
    QFont font = widget->font();
    font.setPointSizeF(pointSize);
    widget->setFont(font);
}

QLabel* makeDisplayBox(QWidget* parent, Qt::Alignment alignment, bool buttonFace) {
    auto* box = new QLabel(parent);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAlignment(alignment | Qt::AlignTop);
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setMargin(1);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, buttonFace ? palette.color(QPalette::Button) : palette.color(QPalette::Base));
    box->setPalette(palette);
    return box;
}

QFrame* makeLine(QWidget* parent, int x1, int y1, int x2, int y2) {
    auto* line = new QFrame(parent);
    const bool vertical = x1 == x2;
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    if (vertical) {
        line->setGeometry(px(x1), px(std::min(y1, y2)), 1, px(std::abs(y2 - y1)));
    } else {
        line->setGeometry(px(std::min(x1, x2)), px(y1), px(std::abs(x2 - x1)), 1);
    }
    return line;
}

}  // namespace tomokari
