#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <core/BlackBoard.h>
#include <core/Engine.h>
#include <core/GuiManager.h>
#include <core/NetClientManager.h>
#include <core/win32FrameController.h>
#include <hikari/HikariPane.h>
#include <yake/Logger.h>

#include "shell/Application.h"
#include "shell/CWtlMsgLoopAdapter.h"

using namespace kavri3D;

namespace {

struct FlashFixture : ::testing::Test {
    core::BlackBoard board;
    core::Engine engine;
    zrk::Application app{nullptr, "game.exe"};
    boost::signals2::scoped_connection connection;
    FlashFixture()
    {
        connection = engine.getGuiManager()->subscribeToHikariPaneSignal(
            [this](core::HikariPane* p, int e) { app.onHikariPaneSignal(p, e); });
        yake::logging::logger::instance().startCapture();
    }
    ~FlashFixture() override { yake::logging::logger::instance().stopCapture(); }
    std::vector<std::string> flashLines()
    {
        std::vector<std::string> out;
        for (const auto& r : yake::logging::logger::instance().captured())
            if (r.channel == "flash")
                out.push_back(r.text);
        return out;
    }
};

} // namespace

TEST_F(FlashFixture, PaneEventsAreLoggedAndNewMoviesGetTheSixCallbacks)
{
    {
        core::HikariPane pane("shop", true);
        Hikari::FlashControl* flash = pane.getFlash();
        EXPECT_EQ(flash->boundCount(), 6u);
        EXPECT_EQ(flash->call("uid").getString(), ""); // before log-in: empty, not an error
        EXPECT_EQ(flash->call("sid").getString(), "");
        EXPECT_TRUE(flash->call("teleport", {Hikari::FlashValue("room")}).isNull());
        EXPECT_TRUE(flash->call("refresh").isNull());
        EXPECT_EQ(flash->call("userInfo").getString(),
                  "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><user></user>");
        board.setString("kavri3D/app/net/AppPath", "http://files.example");
        EXPECT_EQ(flash->call("getHostUrl").getString(), "http://files.example/");
        pane.setFocused(true);
        pane.setFocused(false);
    }
    EXPECT_EQ(flashLines(), (std::vector<std::string>{"pane shop created.", "pane shop got focus.",
                                                      "pane shop lost focus.", "pane shop destroyed."}));
}

TEST_F(FlashFixture, PaneWithoutAMovieIsLoggedButNotBound)
{
    core::HikariPane pane("banner", false);
    EXPECT_EQ(pane.getFlash(), nullptr);
    EXPECT_EQ(flashLines(), (std::vector<std::string>{"pane banner created."}));
    app.onHikariPaneSignal(&pane, 7); // unknown events are ignored
    app.onHikariPaneSignal(nullptr, 0);
    EXPECT_EQ(flashLines().size(), 1u);
}

namespace {
struct RecordingFilter : WTL::CMessageFilter {
    bool swallow = false;
    std::vector<UINT> seen;
    BOOL PreTranslateMessage(MSG* m) override
    {
        seen.push_back(m->message);
        return swallow ? TRUE : FALSE;
    }
};
struct CountingIdle : WTL::CIdleHandler {
    int calls = 0;
    BOOL OnIdle() override
    {
        ++calls;
        return FALSE;
    }
};
} // namespace

TEST(MessageLoopAdapter, WindowFiltersSeeEveryPumpedMessageFirstAndCanSwallowIt)
{
    win32ClearMessages();
    core::win32FrameController controller;
    std::vector<UINT> dispatched;
    controller.setDispatcher([&](const MSG& m) { dispatched.push_back(m.message); });
    RecordingFilter filter;
    CountingIdle idle;
    {
        zrk::CWtlMsgLoopAdapter adapter(&controller);
        adapter.AddMessageFilter(&filter);
        adapter.AddIdleHandler(&idle);
        PostMessageW(nullptr, WM_USER + 1, 0, 0);
        EXPECT_TRUE(controller.pump());
        EXPECT_EQ(filter.seen, std::vector<UINT>{WM_USER + 1});
        EXPECT_EQ(dispatched, std::vector<UINT>{WM_USER + 1});
        EXPECT_EQ(adapter.m_msg.message, UINT(WM_USER + 1));
        EXPECT_EQ(idle.calls, 1);

        filter.swallow = true;
        PostMessageW(nullptr, WM_USER + 2, 0, 0);
        controller.pump();
        EXPECT_EQ(dispatched.size(), 1u); // handled by the window: the framework leaves it
    }
    // Gone: the controller no longer calls it, and the loop goes on.
    EXPECT_FALSE(controller.hasMessagePreview("CWtlMsgLoopAdapter"));
    EXPECT_FALSE(controller.hasIdleHandler("CWtlMsgLoopAdapter"));
    PostMessageW(nullptr, WM_USER + 3, 0, 0);
    EXPECT_TRUE(controller.pump());
    EXPECT_EQ(filter.seen.size(), 2u);
    EXPECT_EQ(idle.calls, 2);
    EXPECT_EQ(dispatched.back(), UINT(WM_USER + 3));
}

TEST(MessageLoopAdapter, WithoutAnyControllerItIsAPlainLoop)
{
    zrk::CWtlMsgLoopAdapter adapter;
    RecordingFilter filter;
    adapter.AddMessageFilter(&filter);
    MSG m{nullptr, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(adapter.onMessage(m, nullptr));
    EXPECT_EQ(filter.seen.size(), 1u);
}
