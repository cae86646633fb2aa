#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <win32/Windows.h>

#include "PngProbe.h"
#include "support/ForeignFile.h"
#include "support/GameModule.h"
#include "support/TestEnv.h"
#include "support/XvfbServer.h"
// X11 last (through the player's input, which brings it): its macros clash with the names above.
#include "support/XWindowInput.h"

// The whole game in a real window: start-up, frames drawn, shut-down, as the launcher runs it.
TEST(GameOnScreen, GameEntryOpensTheWindowAndDrawsFrames)
{
    zrktest::GameHome home;
    zrktest::TempDir shots;
    {
        zrktest::GameModule module;
        ASSERT_TRUE(module.loaded()) << module.error();
        EXPECT_EQ(module.run(L"game.exe /LowIntegrity=1 /unpaced=1 /quitAfterFrames=12 /screenshot=" +
                             win32WideFromUtf8(shots.file("game.png"))),
                  0);
    }
    zrktest::PngProbe probe(shots.file("game.png"));
    EXPECT_GT(probe.width, 640);
    EXPECT_GT(probe.lit, 0.9); // the scene's background, not a black screen
}

namespace {

/// What the launcher's window holds, seen from the launcher's own X connection.
struct HostWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    HostWindow()
    {
        if (!display)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1024, 768, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow()
    {
        if (display)
            XCloseDisplay(display);
    }
    /// The game window inside, once there is one (0 before).
    Window game()
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) && count > 0)
            found = children[0];
        if (children)
            XFree(children);
        return found;
    }
};

struct EmbeddedRun {
    XWindowAttributes gameAttrs{};
    bool hadFocus = false;
    int code = -99;
    double seconds = 0;
};

/// Runs the game inside the host window as the launcher's "--parent-window" does; once the
/// game window is in and drawn on, notes what it looks like and destroys the host window.
EmbeddedRun runInside(HostWindow& host, const std::wstring& arguments)
{
    EmbeddedRun run;
    zrktest::GameModule module;
    if (!module.loaded()) {
        ADD_FAILURE() << module.error();
        return run;
    }
    std::atomic<bool> done{false};
    std::thread launcher([&] {
        // The launcher's side: its own connection, as another program has.
        Display* d = XOpenDisplay(nullptr);
        for (int i = 0; i < 3000 && !done; ++i) {
            const Window game = host.game();
            if (game && XGetWindowAttributes(d, game, &run.gameAttrs) && run.gameAttrs.map_state == IsViewable) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // its first frames
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(d, &focus, &revert);
                run.hadFocus = focus == game;
                XDestroyWindow(d, host.window);
                XSync(d, False);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XCloseDisplay(d);
    });
    const auto start = std::chrono::steady_clock::now();
    run.code = module.run(arguments, reinterpret_cast<HWND>(static_cast<std::uintptr_t>(host.window)));
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    launcher.join();
    return run;
}

} // namespace

// The launcher hands the game its own window: the game fills it. Embedded, the game takes the
// keys and ends with that window; otherwise it leaves the keys and runs on without a window.
TEST(GameOnScreen, GameEntryLivesInTheLaunchersWindow)
{
    // The focus is the X server's own: on a server of its own no other test's window takes it.
    zrktest::XvfbServer server(1280, 1024);
    ASSERT_FALSE(server.display().empty());
    zrktest::ScopedEnv displayEnv("DISPLAY", server.display());
    zrktest::GameHome home;
    {
        HostWindow host;
        ASSERT_NE(host.display, nullptr);
        const EmbeddedRun run = runInside(host, L"game.exe /LowIntegrity=1 /Embeded=1 /quitAfterSeconds=60");
        EXPECT_EQ(run.gameAttrs.x, 0);
        EXPECT_EQ(run.gameAttrs.y, 0);
        EXPECT_EQ(run.gameAttrs.width, 1024);
        EXPECT_EQ(run.gameAttrs.height, 768);
        EXPECT_TRUE(run.hadFocus);
        EXPECT_EQ(run.code, 0);
        EXPECT_LT(run.seconds, 40.0); // ended with the window, long before its time was up
    }
    {
        HostWindow host;
        const EmbeddedRun run = runInside(host, L"game.exe /LowIntegrity=1 /quitAfterSeconds=8");
        EXPECT_EQ(run.gameAttrs.width, 1024);
        EXPECT_FALSE(run.hadFocus);
        EXPECT_EQ(run.code, 0);
        EXPECT_GE(run.seconds, 7.0); // ran on to its time
    }
}

// Started with a data folder that is not his and the single-instance lock on (it lives in that
// folder), the player still sees why the game will not play: the box over the log-in screen,
// which his Enter closes, and the run ends with 1, nothing written in that folder.
TEST(GameOnScreen, ADataFolderNotThePlayersShowsItsBoxWithTheLockOnAndHisKeyClosesIt)
{
    zrktest::XvfbServer server(1280, 1024);
    ASSERT_FALSE(server.display().empty());
    zrktest::ScopedEnv displayEnv("DISPLAY", server.display());
    zrktest::GameHome home;
    const std::string folder = home.dataPath() + "/kavri3D";
    const bool givenAway = zrktest::makeForeignFolder(folder);
    zrktest::GameModule module;
    ASSERT_TRUE(module.loaded()) << module.error();
    std::atomic<bool> over{false};
    int presses = 0;
    std::thread player([&] {
        // The player's side: the game's window on his screen, Enter pressed into it.
        zrktest::XWindowInput input(nullptr);
        input.display = XOpenDisplay(nullptr);
        for (int i = 0; i < 6000 && !over; ++i) {
            if (!input.window) {
                Window root = 0, parent = 0, *children = nullptr;
                unsigned count = 0;
                if (XQueryTree(input.display, DefaultRootWindow(input.display), &root, &parent, &children, &count))
                    for (unsigned c = 0; c < count; ++c) {
                        XWindowAttributes attrs{};
                        if (XGetWindowAttributes(input.display, children[c], &attrs) && attrs.map_state == IsViewable &&
                            attrs.width > 640)
                            input.window = children[c];
                    }
                if (children)
                    XFree(children);
            } else if (i % 50 == 0) {
                input.key(XK_Return); // the box stands over the first frame already
                ++presses;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        input.window = 0;
        XCloseDisplay(input.display);
        input.display = nullptr;
    });
    const auto start = std::chrono::steady_clock::now();
    const int code = module.run(L"game.exe /LowIntegrity=1 /quitAfterSeconds=60");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    over = true;
    player.join();
    EXPECT_EQ(code, 1);
    EXPECT_GE(presses, 1);
    EXPECT_LT(seconds, 40.0); // closed by his key, long before its time was up
    if (givenAway) {
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the game wrote into another user's folder";
    } else {
        EXPECT_EQ(zrktest::readFile(folder), "no folder");
    }
}
