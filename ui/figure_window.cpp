#include "ui/figure_window.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSaveFile>

#include "engine/texts.h"
#include "ui/dialogs.h"

namespace tomokari {

namespace {

// Saved and copied pictures are drawn at twice their size, for print and high-density screens.
constexpr double kImageScale = 2;

PictureBox& picture(const ControlSet& controls) { return *static_cast<PictureBox*>(controls.find("Picture")); }
QPlainTextEdit& caption(const ControlSet& controls) { return *static_cast<QPlainTextEdit*>(controls.find("Caption")); }

}  // namespace

FigureWindow::FigureWindow(Dialogs& dialogs) : SecondaryWindow(WindowId::Figure), dialogs_(dialogs) {
    setMinimumSize(160, 160);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(px(windowLayout(WindowId::Figure).client.width), px(windowLayout(WindowId::Figure).client.height));
}

void FigureWindow::setPicture(const std::string& svg, const std::string& values) {
    picture(controls()).setSvg(QByteArray::fromStdString(svg));
    values_ = values;
    setAccessibleDescription(caption(controls()).toPlainText());
}

// The caption keeps its height at the bottom; the picture takes the rest.
void FigureWindow::resizeEvent(QResizeEvent*) {
    const Rect& p = windowLayout(WindowId::Figure).controls[0].rect;
    QPlainTextEdit& text = caption(controls());
    const int margin = px(p.left), captionHeight = text.height();
    text.setGeometry(margin, height() - margin - captionHeight, width() - 2 * margin, captionHeight);
    picture(controls()).setGeometry(margin, margin, width() - 2 * margin, height() - 3 * margin - captionHeight);
}

void FigureWindow::copyToClipboard() const {
    auto* data = new QMimeData;
    data->setImageData(picture(controls()).image(kImageScale));
    data->setText(caption(controls()).toPlainText());
    QGuiApplication::clipboard()->setMimeData(data);
}

void FigureWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (picture(controls()).svg().isEmpty()) return;
    QMenu menu(this);
    menu.addAction(fromCore(kFigureCopyCommand), QKeySequence::Copy, this, &FigureWindow::copyToClipboard);
    menu.addAction(fromCore(kFigurePngCommand) + QStringLiteral("…"), this, [this] { save(true); });
    menu.addAction(fromCore(kFigureSvgCommand) + QStringLiteral("…"), this, [this] { save(false); });
    menu.exec(event->globalPos());
}

void FigureWindow::save(bool png) {
    const QString type = png ? QStringLiteral("png") : QStringLiteral("svg");
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), fromCore(kFigureFileName) + "." + type,
                                                      type.toUpper() + QStringLiteral(" (*.") + type + ")");
    if (path.isEmpty()) return;
    // Written whole or not at all: a full disk leaves no half picture under the name.
    QSaveFile file(path);
    const PictureBox& box = picture(controls());
    bool saved = file.open(QIODevice::WriteOnly);
    saved = saved && (png ? box.image(kImageScale).save(&file, "PNG") : file.write(box.svg()) == box.svg().size());
    if (!saved || !file.commit()) dialogs_.showMessage(this, QString(), fromCore(kFigureNotSavedMessage));
}

}  // namespace tomokari
