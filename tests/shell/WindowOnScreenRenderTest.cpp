// The game window on real X screens of the sizes players have: the whole window on screen,
// within the work area a window manager publishes.
#include <core/BlackBoard.h>
#include <gtest/gtest.h>

#include "support/XvfbServer.h"
#include "support/GameOnScreen.h" // last: X11's macros
#include <X11/Xatom.h>

namespace {

struct Area {
    long left, top, right, bottom;
};

/// Publishes a work area on the screen's root window, as a window manager with a panel does.
void publishWorkArea(const std::string& display, const Area& a)
{
    Display* d = XOpenDisplay(display.c_str());
    ASSERT_NE(d, nullptr);
    long value[4] = {a.left, a.top, a.right - a.left, a.bottom - a.top};
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_WORKAREA", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(value), 4);
    XSync(d, False);
    XCloseDisplay(d);
}

struct Placed {
    Area outer{};  // from the window keys: where the framed window goes
    Area client{}; // the X window the game draws into, in root coordinates
    bool drawn = false;
};

void expectInside(const Area& inner, const Area& outer, const std::string& what)
{
    EXPECT_GE(inner.left, outer.left) << what;
    EXPECT_GE(inner.top, outer.top) << what;
    EXPECT_LE(inner.right, outer.right) << what;
    EXPECT_LE(inner.bottom, outer.bottom) << what;
    EXPECT_GT(inner.right - inner.left, 600) << what;
}

struct GameWindowOnScreen : zrktest::GameOnScreen {
    /// Runs the game on that X display, in a home of its own (no window saved by an earlier
    /// run), and notes where its window stands.
    Placed runOn(const std::string& display)
    {
        freshHome();
        zrktest::ScopedEnv displayEnv("DISPLAY", display);
        Placed p;
        const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
            p.drawn = game.frames(3);
            kavri3D::core::BlackBoard& bb = *game.getBlackBoard();
            p.outer.left = bb.getInt("kavri3D/win32RenderWindowX", -1);
            p.outer.top = bb.getInt("kavri3D/win32RenderWindowY", -1);
            p.outer.right = p.outer.left + bb.getInt("kavri3D/win32RenderWindowW", 0);
            p.outer.bottom = p.outer.top + bb.getInt("kavri3D/win32RenderWindowH", 0);
            XWindowAttributes attrs;
            XGetWindowAttributes(input.display, input.window, &attrs);
            int rx = 0, ry = 0;
            Window child = 0;
            XTranslateCoordinates(input.display, input.window, DefaultRootWindow(input.display), 0, 0, &rx, &ry,
                                  &child);
            p.client = Area{rx, ry, rx + attrs.width, ry + attrs.height};
        });
        EXPECT_TRUE(ok) << display;
        return p;
    }
};

} // namespace

TEST_F(GameWindowOnScreen, TheWholeWindowIsOnScreensOfEverySize)
{
    for (const auto& size : {std::make_pair(1280, 1024), std::make_pair(1366, 768), std::make_pair(1920, 1080)}) {
        zrktest::XvfbServer server(size.first, size.second);
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        const std::string what = std::to_string(size.first) + "x" + std::to_string(size.second);
        const Placed p = runOn(server.display());
        EXPECT_TRUE(p.drawn) << what;
        const Area screen{0, 0, size.first, size.second};
        expectInside(p.outer, screen, what + " window");
        expectInside(p.client, screen, what + " drawn area");
    }
}

TEST_F(GameWindowOnScreen, AWorkAreaPublishedByTheWindowManagerIsKeptClear)
{
    zrktest::XvfbServer server(1366, 768);
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    const Area work{0, 24, 1366, 728}; // a panel above, a task bar below
    publishWorkArea(server.display(), work);
    const Placed p = runOn(server.display());
    EXPECT_TRUE(p.drawn);
    expectInside(p.outer, work, "window");
    expectInside(p.client, work, "drawn area");
}
