#pragma once
// Where the four windows stand on a desktop. The main window's frame at the top left of the
// screen's free area (below a top panel, beside a left dock); the residuals window to its right
// at the top; the expected-values window to its right below the residuals window; the picture
// window to the right of both, made no larger than the free area. A secondary
// window's client area goes where the layout puts it, read from the free area's top left,
// unless its frame would then cover the main window or, for the expected-values window, the
// residuals window; a frame that would leave the free area is shifted back onto it, its top left
// corner first where it is larger than the area.

#include <QMargins>
#include <QObject>
#include <QRect>
#include <array>
#include <functional>

#include "engine/layout.h"

class QWidget;

namespace tomokari {

// The frame of window `id`, given the free area, the main window's frame (where it stands, or
// for the main window itself only its size) and the margins the window manager puts around a
// client area.
QRect placeFrame(WindowId id, const QRect& available, const QRect& mainFrame, const QMargins& margins);

// Sets each window where placeFrame says when it is first shown, with the frame margins the
// window manager reports for the main window. Those arrive only after the main window is on the
// screen: until then the margins count as none, and when they arrive every window placed so far
// is placed again. From then on a window is left where it is, also where the user has moved it.
// Offscreen there is no desktop, and the windows keep the layout's places.
class WindowPlacement final : public QObject {
public:
    // `window` gives each window when it is first placed, so that one made late costs nothing before.
    explicit WindowPlacement(std::function<QWidget&(WindowId)> window) : window_(std::move(window)) {}
    void beforeShow(WindowId id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(WindowId id);
    QMargins margins() const;

    std::function<QWidget&(WindowId)> window_;
    std::array<bool, kWindowCount> placed_{};
};

}  // namespace tomokari
