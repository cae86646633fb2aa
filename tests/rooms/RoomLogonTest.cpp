// The log-on state in a running framework application: log-out on every entry, the lobby
// reset and the lost-connection box once after a log-in, with and without the GUI plug-in.
#include <boost/make_shared.hpp>
#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Frame.h>
#include <data/ZRKSession.h>
#include <functional>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>

#include "RoomTestKit.h"
#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "rooms/RoomLogon.h"
#include "support/HeadlessGameApp.h"

using namespace kavri3D;
using zrk::RoomLogon;

namespace {

/// A headless framework run whose frame loop is the test's body.
class LogonApp : public zrktest::HeadlessGameApp<LogonApp> {
public:
    using HeadlessGameApp::HeadlessGameApp;
    bool onPostInitialise() override
    {
        logon.reset(new RoomLogon);
        machine()->addState("logon", logon);
        machine()->addState("room", boost::make_shared<core::ClientState>());
        return true;
    }
    zrk::ZRKSession& session() { return static_cast<zrk::ZRKSession&>(*getSession()); }
    /// Leaves "logon" for "room" and comes back.
    void reenter()
    {
        machine()->changeState("room");
        runOneFrame();
        machine()->changeState("logon");
        runOneFrame();
    }
    void login()
    {
        session().login("hero", "hero123", [](core::ISession*, int) {});
        session().update(0);
    }
    boost::shared_ptr<RoomLogon> logon;
};

} // namespace

TEST(RoomLogon, FirstEntryLogsOutAndShowsNothingThenOneBoxAfterALogIn)
{
    roomtest::ManualClock clock;
    bool ran = false;
    LogonApp app(true, [&](LogonApp& a) {
        ran = true;
        ASSERT_EQ(a.machine()->currentStateName(), "logon");
        EXPECT_EQ(RoomLogon::getSingletonPtr(), a.logon.get());
        EXPECT_TRUE(a.logon->isCameraLocked());
        EXPECT_EQ(zrk::RoleManager::instance().getRoom(), a.logon.get());
        zrk::gui::IGuiControl* control = a.control();
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(a.getMainFrame()->getMessageBoxes().empty());
        EXPECT_TRUE(control->handledIds().empty());
        // Logging on shows the backdrop alone, and the state steps it every frame.
        ASSERT_NE(zrk::BackgroundScene::getSingletonPtr(), nullptr);
        EXPECT_EQ(zrk::BackgroundScene::instance().getCurrentFlags(), zrk::BackgroundScene::kBackdrop);

        a.login();
        ASSERT_TRUE(a.session().isOnline());
        a.logon->markReload(); // the log-in chain arms it
        a.reenter();
        EXPECT_FALSE(a.session().isOnline()); // every entry logs out
        ASSERT_EQ(a.getMainFrame()->getMessageBoxes().size(), 1u);
        const core::Frame::BoxRecord& box = a.getMainFrame()->getMessageBoxes()[0];
        EXPECT_EQ(box.titleKey, "error/user_net_wrong");
        EXPECT_EQ(box.textKey, "error/net_cut");
        EXPECT_EQ(box.style, 1);
        EXPECT_EQ(box.type, 9);
        EXPECT_EQ(box.width, 300);
        EXPECT_EQ(box.height, 150);
        EXPECT_FALSE(box.choice); // no auto-login: nothing answers it, the game goes on
        EXPECT_EQ(control->handledIds(), (std::vector<int>{40, 93, 101, 1}));
        EXPECT_EQ(control->callCount("resetPages"), 1);
        EXPECT_EQ(control->callCount("clearScreens"), 1);
        EXPECT_EQ(control->callCount("animator.play"), 1);
        ASSERT_FALSE(control->shownPages().empty());
        EXPECT_EQ(control->shownPages().back(), "login");
        EXPECT_FALSE(a.logon->isReloadMarked());

        a.reenter(); // the second return shows nothing more
        EXPECT_EQ(a.getMainFrame()->getMessageBoxes().size(), 1u);
        EXPECT_EQ(control->callCount("resetPages"), 1);
    });
    EXPECT_TRUE(core::runApplication(app));
    EXPECT_TRUE(ran);
}

TEST(RoomLogon, AutoLoginWipesThePasswordAndClosingTheBoxQuits)
{
    roomtest::ManualClock clock;
    LogonApp app(true, [](LogonApp& a) {
        core::BlackBoard& board = core::BlackBoard::getSingleton();
        board.setBool("kavri3D/autoLogin/_act", true);
        board.setString("kavri3D/autoLogin/password", "secret");
        a.logon->markReload();
        a.reenter();
        EXPECT_EQ(board.getString("kavri3D/autoLogin/password", "?"), "");
        const core::Frame::BoxRecord* box = a.getMainFrame()->getOpenMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->choice);
        core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr();
        ASSERT_NE(helper, nullptr);
        EXPECT_FALSE(helper->isQuitRequested());
        EXPECT_TRUE(a.getMainFrame()->pressMessageBoxButton(0));
        EXPECT_TRUE(helper->isQuitRequested());
    });
    EXPECT_TRUE(core::runApplication(app));
}

TEST(RoomLogon, WithoutTheGuiPluginTheResetIsSkippedButThePlayerIsStillTold)
{
    roomtest::ManualClock clock;
    roomtest::LogCapture log;
    LogonApp app(false, [&](LogonApp& a) {
        core::BlackBoard::getSingleton().setBool("kavri3D/autoLogin/_act", true);
        core::BlackBoard::getSingleton().setString("kavri3D/autoLogin/password", "secret");
        a.logon->markReload();
        a.reenter();
        EXPECT_EQ(a.logon->getGuiManager(), nullptr);
        EXPECT_EQ(log.count("room", "no GUI manager or animator: the lobby screens are not reset"), 1u);
        EXPECT_EQ(core::BlackBoard::getSingleton().getString("kavri3D/autoLogin/password", "?"), "");
        EXPECT_EQ(a.getMainFrame()->getMessageBoxes().size(), 1u);
        EXPECT_FALSE(a.logon->isReloadMarked());
        a.frames(3); // frames run without an animator
    });
    EXPECT_TRUE(core::runApplication(app));
}
