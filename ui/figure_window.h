#pragma once
// The picture window: the core's picture of the test, drawn to the window's width, with its
// caption beneath. It alone of the windows can be resized; its context menu saves the picture as
// PNG or SVG, and Ctrl+C copies it as an image together with the caption as text.

#include <QString>
#include <string>

#include "ui/windows.h"

namespace tomokari {

class Dialogs;

class FigureWindow final : public SecondaryWindow {
public:
    explicit FigureWindow(Dialogs& dialogs);

    // The picture as the core describes it (SVG text), and the numbers it draws (JSON), which
    // the window keeps for the scripted runner.
    void setPicture(const std::string& svg, const std::string& values);
    const std::string& values() const { return values_; }

    // The picture as an image and the caption as text, for a word processor or a report.
    void copyToClipboard() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void save(bool png);

    Dialogs& dialogs_;  // says when a picture could not be saved
    std::string values_;
};

}  // namespace tomokari
