// The three windows on a real desktop: run by on_desktop.sh, on an X server of their own with
// the window manager openbox, through Qt's xcb platform. Frames are read from the X server, as
// the window manager made them. Through the typical run no frame covers another on a screen of
// 1280 x 800 or more, and on any screen every frame lies on the free area; a window that the user
// has moved stays there when a step shows it again.
// TOMOKARI_DESKTOP_SCREENSHOT=FILE also saves the screen after the typical run (ImageMagick).

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
#include <map>
#include <memory>
#include <ostream>
#include <utility>

#include "tests/script_line.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/program.h"
#include "ui/translation.h"

void PrintTo(const QRect& r, std::ostream* out) { *out << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height(); }

namespace tomokari {
namespace {

// The test's own connection to the X server, beside Qt's: where the windows really are.
class Server {
public:
    Server() : x_(xcb_connect(nullptr, nullptr)), root_(xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root) {}
    ~Server() { xcb_disconnect(x_); }

    // Where the server has `window`: its client area, and its frame (the window under the root
    // that holds it, which the window manager made).
    std::pair<QRect, QRect> place(const QWidget& window) const {
        const auto id = static_cast<xcb_window_t>(window.winId());
        xcb_window_t frame = id;
        for (;;) {
            const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(x_, xcb_query_tree(x_, frame), nullptr));
            if (!tree) return {};
            if (tree->parent == root_) break;
            frame = tree->parent;
        }
        const Reply<xcb_get_geometry_reply_t> outer(xcb_get_geometry_reply(x_, xcb_get_geometry(x_, frame), nullptr));
        const Reply<xcb_get_geometry_reply_t> inner(xcb_get_geometry_reply(x_, xcb_get_geometry(x_, id), nullptr));
        const Reply<xcb_translate_coordinates_reply_t> corner(
            xcb_translate_coordinates_reply(x_, xcb_translate_coordinates(x_, id, root_, 0, 0), nullptr));
        if (!outer || !inner || !corner) return {};
        const int border = 2 * outer->border_width;
        return {{corner->dst_x, corner->dst_y, inner->width, inner->height}, {outer->x, outer->y, outer->width + border, outer->height + border}};
    }

private:
    template <typename T>
    struct Reply : std::unique_ptr<T, decltype(&std::free)> {
        explicit Reply(T* reply) : std::unique_ptr<T, decltype(&std::free)>(reply, &std::free) {}
    };
    xcb_connection_t* x_;
    xcb_window_t root_;
};

class Desktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(program_.startUp(QCoreApplication::applicationDirPath()).has_value()); }

    // Plays the typing and the presses of script lines on the main window.
    void perform(const std::vector<std::string>& lines) {
        for (const std::string& text : lines) {
            const ScriptLine line = readScriptLine(text);
            const QString name = QString::fromStdString(line.command == "type" ? line.box : line.rest);
            if (line.command == "type") program_.mainWindow().findChild<QLineEdit*>(name)->setText(QString::fromStdString(line.text));
            if (line.command == "click") program_.mainWindow().findChild<QAbstractButton*>(name)->click();
        }
    }

    // The typical run of a 2 x 2 table as its recorded script has it, step by step: the lines
    // before each dump.
    static std::vector<std::vector<std::string>> typicalRun() {
        std::ifstream script(TOMOKARI_TYPICAL_RUN);
        std::vector<std::vector<std::string>> steps(1);
        for (std::string line; std::getline(script, line);) {
            if (line == "dump") steps.emplace_back();
            else if (!line.starts_with('#')) steps.back().push_back(line);
        }
        steps.pop_back();
        return steps;
    }

    // The frames of the windows shown, once the window manager has framed each, the server and
    // Qt agree on where its client area is, the main window's frame stands at `mainCorner`
    // (placed again once the frame sizes came), and nothing moved since the last look: frames,
    // sizes and moves come from the window manager in their own time.
    std::map<std::string, QRect> settledFrames(QPoint mainCorner = freeArea().topLeft()) {
        std::map<std::string, QRect> frames, before;
        const auto settled = [&] {
            before = std::exchange(frames, {});
            for (const WindowLayout& layout : windowLayouts()) {
                const QWidget& window = program_.window(layout.id);
                if (!window.isVisible()) continue;
                const auto [client, frame] = server_.place(window);
                if (!window.windowHandle()->isExposed() || client != window.geometry() || frame == client || !frame.contains(client)) return false;
                frames[layout.name] = frame;
            }
            return frames.at("Form4").topLeft() == mainCorner && frames == before;
        };
        EXPECT_TRUE(QTest::qWaitFor(settled, 5000)) << "the window manager left the windows unsettled: " << testing::PrintToString(frames);
        return frames;
    }

    static QRect freeArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    Server server_;
    MessageBoxDialogs dialogs_;  // never asked: no step here asks a question
    Program program_{dialogs_};
};

TEST_F(Desktop, NoWindowCoversAnotherThroughTheTypicalRun) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const bool roomy = screen.width() >= 1280 && screen.height() >= 800;
    const std::vector<std::vector<std::string>> steps = typicalRun();
    ASSERT_EQ(steps.size(), 5u);  // size, totals, test, residuals, power
    for (size_t step = 0; step < steps.size(); ++step) {
        perform(steps[step]);
        const std::map<std::string, QRect> frames = settledFrames();
        EXPECT_EQ(frames.size(), step < 2 ? 2u : 4u) << "step " << step + 1;
        const std::string seen = "step " + std::to_string(step + 1) + ": " + testing::PrintToString(frames) + " on " + testing::PrintToString(freeArea());
        for (auto a = frames.begin(); a != frames.end(); ++a) {
            EXPECT_TRUE(freeArea().contains(a->second)) << a->first << " leaves the free area after " << seen;
            for (auto b = std::next(a); roomy && b != frames.end(); ++b) EXPECT_FALSE(a->second.intersects(b->second)) << a->first << " covers " << b->first << " after " << seen;
        }
    }
    if (const QString file = qEnvironmentVariable("TOMOKARI_DESKTOP_SCREENSHOT"); !file.isEmpty()) {
        QTest::qWait(300);  // for the last step's painting to reach the server
        EXPECT_EQ(QProcess::execute("import", {"-window", "root", file}), 0);
    }
}

// Moved, then hidden by a step or closed from its title bar, then shown by a step again.
TEST_F(Desktop, AWindowTheUserMovedStaysWherePut) {
    const std::vector<std::vector<std::string>> steps = typicalRun();
    for (size_t step = 0; step < 3; ++step) perform(steps[step]);  // up to the test
    const std::map<std::string, QRect> placed = settledFrames();
    QWidget& form1 = program_.window(WindowId::Residuals);
    QWidget& form3 = program_.window(WindowId::ExpectedValues);
    form1.move(freeArea().bottomRight() - QPoint(placed.at("Form1").width(), placed.at("Form1").height() + 40));
    form3.move(freeArea().topRight() + QPoint(-placed.at("Form3").width(), 40));
    const QPoint mainCorner = freeArea().topLeft() + QPoint(30, 20);
    program_.mainWindow().move(mainCorner);
    const std::map<std::string, QRect> moved = settledFrames(mainCorner);
    ASSERT_NE(moved, placed);

    form3.close();
    perform({"click Command1", "click Command7", "click Command5"});  // OK hides the residuals window; totals and test show both again
    EXPECT_EQ(settledFrames(mainCorner), moved);
}

}  // namespace
}  // namespace tomokari

// The windows on the X server that DISPLAY names, through Qt's xcb platform whatever the
// environment says, started as the program starts them.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setFont(tomokari::japaneseFont(9));
    const auto qtTexts = tomokari::installQtTranslation();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
