#include "ui/controls.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QSvgRenderer>
#include <optional>
#include <stdexcept>

namespace tomokari {

namespace {

void place(QWidget* widget, const Rect& r) { widget->setGeometry(px(r.left), px(r.top), px(r.width), px(r.height)); }

void setPointSize(QWidget* widget, double pointSize) {
    if (pointSize <= 0) return;
    QFont font = widget->font();
    font.setPointSizeF(pointSize);
    widget->setFont(font);
}

// Paints the widget's `role` in the colour of `source`: a button face, or the base of a text box.
void setBackground(QWidget* widget, QPalette::ColorRole role, QPalette::ColorRole source) {
    QPalette palette = widget->palette();
    palette.setColor(role, palette.color(source));
    widget->setPalette(palette);
}

Qt::Alignment qtAlignment(Alignment alignment, Qt::Alignment vertical) {
    switch (alignment) {
        case Alignment::Left: return Qt::AlignLeft | vertical;
        case Alignment::Center: return Qt::AlignHCenter | vertical;
        case Alignment::Right: return Qt::AlignRight | vertical;
        case Alignment::RightTop: return Qt::AlignRight | Qt::AlignTop;
    }
    return vertical;
}

QLineEdit* lineBox(const ControlLayout& layout, QWidget* parent) {
    QLineEdit* box = layout.kind == ControlKind::InputBox ? new InputBox(parent) : new QLineEdit(parent);
    box->setAlignment(qtAlignment(layout.alignment, Qt::AlignVCenter));
    // Never fewer than the core keeps: a character takes at most two UTF-16 units.
    if (layout.kind == ControlKind::InputBox) box->setMaxLength(static_cast<int>(2 * kInputBoxCharacters));
    if (layout.kind == ControlKind::TotalBox) {
        box->setReadOnly(true);  // totals are results, never input
        box->setFocusPolicy(Qt::NoFocus);
        setBackground(box, QPalette::Base, QPalette::Button);
    }
    return box;
}

QLabel* displayBox(const ControlLayout& layout, QWidget* parent) {
    auto* box = new QLabel(parent);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAlignment(qtAlignment(layout.alignment, Qt::AlignTop));
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setMargin(1);
    box->setAutoFillBackground(true);
    setBackground(box, QPalette::Window, layout.kind == ControlKind::MarginBox ? QPalette::Button : QPalette::Base);
    return box;
}

// The control without its text, which setText gives it once the control has its place and font.
QWidget* makeWidget(const ControlLayout& layout, QWidget* parent) {
    switch (layout.kind) {
        case ControlKind::Label: {
            // At the top of its area, where the layout expects the text: centred, a caption
            // taller than its area would slip under the control below.
            auto* label = new QLabel(parent);
            label->setAlignment(qtAlignment(layout.alignment, Qt::AlignTop));
            return label;
        }
        case ControlKind::InputBox:
        case ControlKind::TotalBox: return lineBox(layout, parent);
        case ControlKind::DisplayBox:
        case ControlKind::MarginBox: return displayBox(layout, parent);
        case ControlKind::TextArea: {
            auto* area = new QPlainTextEdit(parent);
            area->setReadOnly(true);
            return area;
        }
        case ControlKind::Button: return new QPushButton(parent);
        case ControlKind::Frame: return new QGroupBox(parent);
        case ControlKind::Line: {
            auto* line = new QFrame(parent);
            line->setFrameShape(layout.rect.width == 0 ? QFrame::VLine : QFrame::HLine);
            line->setFrameShadow(QFrame::Plain);
            line->setLineWidth(1);
            const Rect& r = layout.rect;
            line->setGeometry(px(r.left), px(r.top), r.width == 0 ? 1 : px(r.width), r.height == 0 ? 1 : px(r.height));
            return line;
        }
        case ControlKind::Picture: return new PictureBox(parent);
        case ControlKind::Menu:
        case ControlKind::MenuItem:
        case ControlKind::MenuCommand: break;
    }
    return nullptr;
}

// A new control's first text, as its constructor would have set it: a text box's cursor at the end.
void setText(QWidget* control, const QString& text) {
    if (text.isEmpty()) return;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(text);
    else if (auto* area = qobject_cast<QPlainTextEdit*>(control)) area->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(control)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control)) group->setTitle(text);
}

// Where a picture of `size` goes in `area`: as wide as the area allows, keeping its proportions,
// at the top.
QRectF fitted(QSizeF size, const QRectF& area) {
    if (size.isEmpty()) return {};
    size.scale(area.size(), Qt::KeepAspectRatio);
    return QRectF(area.left() + (area.width() - size.width()) / 2, area.top(), size.width(), size.height());
}

void setControlText(QObject* control, const std::string& text) {
    const QString value = fromCore(text);
    if (controlText(control) == value) return;
    const QSignalBlocker blocker(control);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(control)) {
        area->setPlainText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(value);
    }
}

}  // namespace

void PictureBox::setSvg(const QByteArray& svg) {
    if (svg == svg_) return;
    svg_ = svg;
    if (!renderer_) renderer_ = new QSvgRenderer(this);
    // Qt's renderer takes the first family of a list as a name: drawn with the windows' own
    // Japanese font instead, whichever was found (a saved picture keeps the list).
    QByteArray drawn = svg_;
    const qsizetype start = drawn.indexOf("font-family=\"");
    if (start >= 0) {
        const qsizetype from = start + 13, end = drawn.indexOf('"', from);
        drawn.replace(from, end - from, QFontInfo(font()).family().toUtf8());
    }
    renderer_->load(drawn);
    update();
}

QImage PictureBox::image(double scale) const {
    if (!renderer_ || !renderer_->isValid()) return {};
    QImage image((renderer_->defaultSize() * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer_->render(&painter);
    return image;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (renderer_ && renderer_->isValid()) renderer_->render(&painter, fitted(renderer_->defaultSize(), rect()));
}

QFont japaneseFont(double pointSize) {
    // Only the families installed: for each family asked for and not found, Qt has the font
    // configuration sort every font on the machine, once per script, which costs more than all
    // the rest of the font work at start. The font found is the same, as are the fonts that
    // stand in for a character it lacks. Where none is installed, all are asked for and Qt's
    // own fallbacks decide, as before.
    static const QStringList families = [] {
        const QStringList wanted = {QStringLiteral("MS PGothic"), QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")};
        QStringList installed = QFontDatabase::families();
        for (QString& family : installed) family = family.section(QStringLiteral(" ["), 0, 0);  // "Family [Foundry]"
        QStringList found;
        for (const QString& family : wanted) {
            if (installed.contains(family, Qt::CaseInsensitive)) found << family;
        }
        return found.isEmpty() ? wanted : found;
    }();
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    return font;
}

QString fromCore(std::string_view text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
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

void ControlSet::build(const WindowLayout& layout, QWidget* client, QMenuBar* menuBar) {
    layout_ = &layout;
    for (const ControlLayout& c : layout.controls) {
        QObject* control = nullptr;
        const QString caption = QString::fromStdString(c.text);
        if (c.kind == ControlKind::Menu) {
            control = menuBar->addMenu(caption);
        } else if (c.kind == ControlKind::MenuCommand) {
            control = menuBar->addAction(caption);
        } else if (c.kind == ControlKind::MenuItem) {
            control = static_cast<QMenu*>(find(c.parent))->addAction(caption);
        } else {
            QWidget* parent = c.parent.empty() ? client : static_cast<QWidget*>(find(c.parent));
            QWidget* widget = makeWidget(c, parent);
            if (c.kind != ControlKind::Line) place(widget, c.rect);
            setPointSize(widget, c.pointSize);
            // Laid out once, in the control's own font and width.
            setText(widget, caption);
            if (!c.visible) widget->hide();
            control = widget;
        }
        control->setObjectName(QString::fromStdString(c.name));
        controls_.push_back(control);
        byName_.emplace(c.name, control);
    }
    fitCaptions();
}

void ControlSet::fitCaptions() const {
    std::optional<QFont> given;  // the boxes mostly share one font: the last one fitted, and its fit
    QFont fitting;
    for (QObject* control : controls_) {
        // The display boxes' lines are laid out for fonts whose lines stand at most 1.2 em apart.
        auto* box = qobject_cast<QLabel*>(control);
        if (!(box && box->frameShape() != QFrame::NoFrame) && !qobject_cast<QPlainTextEdit*>(control)) continue;
        auto* widget = static_cast<QWidget*>(control);
        if (widget->font() != given) {
            given = fitting = widget->font();
            const double lineSpacing = 1.2 * QFontInfo(fitting).pixelSize();
            while (QFontMetricsF(fitting).lineSpacing() > lineSpacing && fitting.pointSizeF() > 6) {
                fitting.setPointSizeF(fitting.pointSizeF() - 0.25);
            }
        }
        if (fitting != given) widget->setFont(fitting);
    }
    for (size_t i = 0; i < controls_.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(controls_[i]);
        auto* button = qobject_cast<QAbstractButton*>(controls_[i]);
        if ((!label || label->frameShape() != QFrame::NoFrame) && !button) continue;
        auto* widget = static_cast<QWidget*>(controls_[i]);
        QRect room = widget->geometry();
        if (label) {  // down to the window's edge or the first control stacked above it there
            room.setBottom(widget->parentWidget()->height() - 1);
            for (size_t j = i + 1; j < controls_.size(); ++j) {
                auto* other = qobject_cast<QWidget*>(controls_[j]);
                if (!other || other->parentWidget() != widget->parentWidget() || qobject_cast<QMenu*>(other) ||
                    (qobject_cast<QLabel*>(other) && !other->autoFillBackground()))
                    continue;
                const QRect obstacle = other->geometry();
                if (obstacle.left() <= room.right() && obstacle.right() >= room.left() && obstacle.top() >= room.top())
                    room.setBottom(std::min(room.bottom(), obstacle.top() - 1));
            }
        }
        const QString caption = label ? label->text() : button->text();
        const int flags = label ? int(label->alignment()) : int(Qt::AlignCenter);
        const QRect area(QPoint(0, 0), room.size());
        QFont font = widget->font();
        QRect needed = QFontMetrics(font).boundingRect(area, flags, caption);
        while (!area.contains(needed) && font.pointSizeF() > 6) {
            font.setPointSizeF(font.pointSizeF() - 0.25);
            needed = QFontMetrics(font).boundingRect(area, flags, caption);
        }
        if (font != widget->font()) widget->setFont(font);
        if (label) label->resize(label->width(), std::min(room.height(), std::max(label->height(), needed.height())));
    }
}

QObject* ControlSet::find(const std::string& name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) throw std::out_of_range("no control " + name + " in " + layout_->name);
    return found->second;
}

void InputBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) && onPaste) return onPaste(QGuiApplication::clipboard()->text());
    QLineEdit::keyPressEvent(event);
}

void InputBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste") || !onPaste) continue;
        action->disconnect();
        connect(action, &QAction::triggered, this, [this] { onPaste(QGuiApplication::clipboard()->text()); });
    }
    menu->popup(event->globalPos());
}

void ControlSet::apply(const WindowState& state) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
        QObject* control = controls_[i];
        const ControlState& shown = state.controls[i];
        setControlText(control, shown.text);
        if (auto* widget = qobject_cast<QWidget*>(control)) {
            const QString name = fromCore(spokenName(layout_->controls[i], shown.text));
            if (widget->accessibleName() != name) widget->setAccessibleName(name);
            // Menus are always there; their visibility belongs to their menu action.
            if (!qobject_cast<QMenu*>(widget) && widget->isHidden() == shown.visible) widget->setVisible(shown.visible);
        } else if (auto* action = qobject_cast<QAction*>(control)) {
            action->setVisible(shown.visible);
        }
    }
}

}  // namespace tomokari
