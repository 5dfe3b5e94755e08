#include "ui/placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "ui/controls.h"

namespace tomokari {

namespace {

// `frame` moved onto `area` where it sticks out; where it is too large, its top left stays on.
QRect keptOn(QRect frame, const QRect& area) {
    frame.moveRight(std::min(frame.right(), area.right()));
    frame.moveBottom(std::min(frame.bottom(), area.bottom()));
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    return frame;
}

size_t index(WindowId id) { return static_cast<size_t>(id); }

// The picture window no narrower than this, in pixels of its frame, to stay beside the others.
constexpr int kNarrowestFigure = 320;

}  // namespace

QRect placeFrame(WindowId id, const QRect& available, const QRect& mainFrame, const QMargins& margins) {
    if (id == WindowId::Main) return keptOn(QRect(available.topLeft(), mainFrame.size()), available);
    const Rect& client = windowLayout(id).client;
    QRect frame = QRect(px(client.left), px(client.top), px(client.width), px(client.height))
                      .marginsAdded(margins)
                      .translated(available.topLeft());
    frame.moveLeft(std::max(frame.left(), mainFrame.right() + 1));
    if (id == WindowId::ExpectedValues) {
        const QRect residuals = placeFrame(WindowId::Residuals, available, mainFrame, margins);
        frame.moveTop(std::max(frame.top(), residuals.bottom() + 1));
    }
    if (id == WindowId::Figure) {  // beside both, narrower where that keeps it off them: its picture scales
        const QRect beside = placeFrame(WindowId::Residuals, available, mainFrame, margins)
                                 .united(placeFrame(WindowId::ExpectedValues, available, mainFrame, margins));
        frame.moveLeft(std::max(frame.left(), beside.right() + 1));
        const int room = available.right() - frame.left() + 1;
        if (room >= kNarrowestFigure) frame.setWidth(std::min(frame.width(), room));
        frame.setSize(frame.size().boundedTo(available.size()));
    }
    return keptOn(frame, available);
}

void WindowPlacement::beforeShow(WindowId id) {
    if (placed_[index(id)] || QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    if (id == WindowId::Main) {
        // Its native window now, to hear when the window manager has framed it.
        window_(id).winId();
        window_(id).windowHandle()->installEventFilter(this);
    }
    place(id);
    placed_[index(id)] = true;
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Expose || type == QEvent::Move || type == QEvent::Resize) && !margins().isNull()) {
        watched->removeEventFilter(this);
        for (const WindowLayout& layout : windowLayouts()) {
            if (placed_[index(layout.id)]) place(layout.id);
        }
    }
    return false;
}

void WindowPlacement::place(WindowId id) {
    QWidget& window = window_(id);
    QWidget& main = window_(WindowId::Main);
    if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();  // the size it will show at
    const QMargins frame = margins();
    const QRect available = main.screen()->availableGeometry();
    // Client geometry, which the window system takes as it is whether or not it knows the frame.
    window.setGeometry(placeFrame(id, available, main.geometry().marginsAdded(frame), frame).marginsRemoved(frame));
}

QMargins WindowPlacement::margins() const {
    const QWindow* handle = window_(WindowId::Main).windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    // While the window manager still builds the frame, Qt can measure it smaller than the window.
    const bool building = margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0;
    return building ? QMargins() : margins;
}

}  // namespace tomokari
