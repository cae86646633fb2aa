// The battle's displays in a headless GUI (CEGUI's null renderer, hand-set clocks): the loading
// screen's rows, pace, completion, gone players and countdown, and the suspend panel.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <data/ZRKPlayerState.h>
#include <text/CeguiText.h>
#include <land/DollConstants.h>
#include <lan/ZRKLan.h>
#include <memory>
#include <yake/Logger.h>
#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <scene/GrafixScene.h>
#include <scene/DefaultSceneHelper.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>

#include "DisplaysFixture.h"
#include "battle/hud/VaneSnapShotScene.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "battle/hud/ZRKSuspendPanel.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "shell/Application.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct BattleDisplaysTest : zrktest::DisplaysFixture {
    yake::logging::logger& log = yake::logging::logger::instance();

    /// The battle's room exists on the server and a room object takes it; no land yet.
    void enterRoomOnly()
    {
        ASSERT_EQ(session->getGameServer()->core().startBotBattle("hero", 1, "1", 7), "battle_hero");
        frame();
        room.reset(new BattleRoom);
        room->onEnter("prev=room");
        room->onEnterRoom("battle_hero", 0, "prev=room");
        // The scene loads these; the loading screen alone needs them too.
        for (const char* set : {"block.imageset", "icons1.imageset"})
            CeguiWidgets::loadImageset(set);
    }
    static std::string text(CEGUI::Window* w) { return w ? gui::fromCeguiString(w->getText()) : "<none>"; }
    static std::string prop(CEGUI::Window* w, const char* name)
    {
        return w ? gui::fromCeguiString(w->getProperty(name)) : "<none>";
    }
    static CEGUI::Window* child(CEGUI::Window* root, const std::string& name)
    {
        return root ? root->getChildRecursive(CeguiWidgets::utf8(name)) : nullptr;
    }
    static core::EventPtr report(const std::string& player, int lower, int upper, float speed)
    {
        core::EventPtr e(new core::Event(6514));
        e->attrs().setAttr("playerId", player);
        e->attrs().setAttr("lower", lower);
        e->attrs().setAttr("upper", upper);
        e->attrs().setAttr("speed", speed);
        return e;
    }
};

} // namespace

TEST_F(BattleDisplaysTest, TheLoadingScreenHasARowPerSeatedPlayerTheOwnRowMarked)
{
    enterRoomOnly();
    BattleRoom::ZRKProgressPanel panel(room.get());
    ASSERT_TRUE(panel.createWindow());
    CEGUI::Window* root = panel.getWindow();
    ASSERT_TRUE(root && root->getParent() == mainFrame.getTopWindow());
    EXPECT_EQ(panel.getPicture(), "MAP01/PG099.JPG"); // the map names no picture of its own
    for (int n = 1; n <= 8; ++n)
        EXPECT_FALSE(child(root, "player" + std::to_string(n))->isVisible());
    EXPECT_FALSE(panel.isDone()); // no rows yet: a guide text waits

    panel.fillPlayers();
    ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
    ASSERT_NE(state, nullptr);
    int seated = 0;
    for (int seat = 0; seat < 8; ++seat)
        seated += state->getPlayer(seat) ? 1 : 0;
    ASSERT_GE(seated, 2);
    ASSERT_EQ(panel.getRows().size(), static_cast<std::size_t>(seated));
    EXPECT_EQ(panel.getOwnSeat(), state->getSeatOf("hero"));
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(child(root, "player" + std::to_string(n))->isVisible(), n <= seated) << n;
    // Rows count from 1 in seat order; the own one on the marked background.
    int ownRow = 0;
    for (std::size_t i = 0; i < panel.getRows().size(); ++i)
        if (panel.getRows()[i].seat == panel.getOwnSeat())
            ownRow = static_cast<int>(i) + 1;
    ASSERT_GT(ownRow, 0);
    const std::string own = "player" + std::to_string(ownRow);
    EXPECT_EQ(prop(child(root, own + "_bg"), "Image"), "block/bpg_bg2");
    EXPECT_EQ(prop(child(root, (ownRow == 1 ? "player2" : "player1") + std::string("_bg")), "Image"), "block/bpg_bg1");
    EXPECT_EQ(text(child(root, own + "_name")),
              state->findPlayer("hero")->getUserSettings().getStringVal("pc_nickname", "?"));
    EXPECT_EQ(text(child(root, own + "_pgt")), "0%");
    EXPECT_FALSE(panel.isDone());
    EXPECT_TRUE(panel.isCountingDown()); // tactic 0 without a land, more than one player
}

TEST_F(BattleDisplaysTest, AReportJumpsToItsLowerBoundThenStepsByTheWallClockUpToItsUpperBound)
{
    enterRoomOnly();
    BattleRoom::ZRKProgressPanel panel(room.get());
    ASSERT_TRUE(panel.createWindow());
    panel.fillPlayers();
    ASSERT_GE(panel.getRows().size(), 2u);
    const int heroRow = [&] {
        for (std::size_t i = 0; i < panel.getRows().size(); ++i)
            if (panel.getRows()[i].seat == panel.getOwnSeat())
                return static_cast<int>(i);
        return -1;
    }();
    ASSERT_GE(heroRow, 0);
    const std::string base = "player" + std::to_string(heroRow + 1);
    CEGUI::Window* root = panel.getWindow();

    EXPECT_TRUE(panel.handle(*report("hero", 30, 60, 0.5f)));
    EXPECT_FALSE(panel.handle(core::Event(6513)));
    panel.update(0);
    EXPECT_EQ(panel.getRows()[heroRow].shown, 30);
    EXPECT_EQ(text(child(root, base + "_pgt")), "30%");
    EXPECT_FLOAT_EQ(child(root, base + "_pgv")->getWidth().d_scale, 0.3f);
    yake::native::advanceTime(0.4);
    panel.update(0);
    EXPECT_EQ(panel.getRows()[heroRow].shown, 30);
    yake::native::advanceTime(0.1);
    panel.update(0);
    EXPECT_EQ(panel.getRows()[heroRow].shown, 31);
    for (int i = 0; i < 100; ++i) {
        yake::native::advanceTime(0.5);
        panel.update(0);
    }
    EXPECT_EQ(panel.getRows()[heroRow].shown, 60); // never past the upper bound
    EXPECT_EQ(text(child(root, base + "_pgt")), "60%");

    // Unreadable reports change nothing and are still the panel's.
    core::EventPtr bad = report("hero", 90, 95, 0.1f);
    bad->attrs().setAttr("lower", std::string("ninety"));
    log.startCapture();
    EXPECT_TRUE(panel.handle(*bad));
    EXPECT_EQ(log.countCaptured("room", "a loading report without player, bounds or pace is ignored"), 1u);
    log.stopCapture();
    EXPECT_TRUE(panel.handle(*report("nobody", 90, 95, 0.1f)));
    EXPECT_EQ(panel.getRows()[heroRow].lower, 30);

    // Complete: 100% with its mark; once the server tells the room every seat has loaded
    // ("state" 2), the other rows complete at once.
    EXPECT_TRUE(panel.handle(*report("hero", 101, 101, 0.1f)));
    panel.update(0);
    EXPECT_TRUE(panel.getRows()[heroRow].done);
    EXPECT_EQ(text(child(root, base + "_pgt")), "100%");
    EXPECT_FLOAT_EQ(child(root, base + "_pgv")->getWidth().d_scale, 1.0f);
    EXPECT_TRUE(child(root, base + "_ok")->isVisible());
    panel.update(0);
    EXPECT_FALSE(panel.isDone());
    ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
    Json::Value fought(Json::objectValue);
    fought["state"] = 2;
    state->applyState(fought, Json::Value());
    panel.update(0);
    EXPECT_TRUE(panel.isDone());
}

TEST_F(BattleDisplaysTest, APlayerWhoLeavesNoLongerHoldsTheScreenAndTheCountdownRunsFrom090To000)
{
    enterRoomOnly();
    BattleRoom::ZRKProgressPanel panel(room.get());
    ASSERT_TRUE(panel.createWindow());
    panel.fillPlayers();
    ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
    const std::size_t rows = panel.getRows().size();
    ASSERT_GE(rows, 2u);
    const std::string gone = state->getPlayer(panel.getRows()[rows - 1].seat)->getID();
    state->applyLeave(gone);
    panel.update(0);
    EXPECT_EQ(panel.getRows()[rows - 1].seat, -1);

    ASSERT_TRUE(panel.isCountingDown());
    CEGUI::Window* timer = child(panel.getWindow(), "timer");
    ASSERT_TRUE(timer && timer->isVisible());
    std::vector<int> shown;
    for (int i = 0; i < 95 && panel.isCountingDown(); ++i) {
        yake::native::advanceTime(1.0);
        core::TimerManager::instance().update();
        shown.push_back(panel.getCountdown() + 1);
    }
    EXPECT_FALSE(panel.isCountingDown()); // the tick after 000 ends it
    ASSERT_GE(shown.size(), 91u);
    EXPECT_EQ(shown.front(), 90);
    EXPECT_EQ(shown[90], 0);
    panel.destroyWindow();
    EXPECT_EQ(panel.getWindow(), nullptr);
    panel.destroyWindow(); // twice is harmless
}

TEST_F(BattleDisplaysTest, TheRoomDropsTheLoadingScreenWhenTheLandHasLoaded)
{
    enterRoomOnly();
    room->onRoomReady("battle_hero");
    ASSERT_NE(room->getProgressPanel(), nullptr);
    ASSERT_NE(room->getProgressPanel()->getWindow(), nullptr);
    until([&] { return room->getLand() && room->getLand()->isLoaded(); }, 200);
    ASSERT_TRUE(room->getLand()->isLoaded());
    frame();
    EXPECT_EQ(room->getProgressPanel(), nullptr);
    EXPECT_FALSE(mainFrame.getTopWindow()->isChild("BattleProgress"));
}

TEST_F(BattleDisplaysTest, AClickHidesTheSuspendPanelAndTheNextFrameTakesTheMouseBack)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ASSERT_TRUE(room->isDragCursor());
    room->suspendInput();
    EXPECT_EQ(cursor.cursorCapture(), 0);
    BattleRoom::ZRKSuspendPanel* panel = room->getSuspendPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(CEGUI::ImageManager::getSingleton().isDefined("suspend/paused"));
    frame(); // stays while shown
    EXPECT_EQ(room->getSuspendPanel(), panel);
    EXPECT_EQ(cursor.cursorCapture(), 0);

    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    ctx.injectMousePosition(640, 360);
    ctx.injectMouseButtonDown(CEGUI::LeftButton);
    ctx.injectMouseButtonUp(CEGUI::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    frame();
    EXPECT_EQ(room->getSuspendPanel(), nullptr);
    EXPECT_EQ(cursor.cursorCapture(), 2);
    EXPECT_TRUE(room->isDragCursor());
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("suspend/paused"));

    // The panel says the battle goes on; the land coming to its fight again (a new round)
    // leaves the mouse with the player until he clicks, and the next focus loss brings the
    // panel back.
    std::unique_ptr<ZRKLan> texts;
    if (!ZRKLan::getSingletonPtr())
        texts.reset(new ZRKLan("res/lan"));
    room->suspendInput();
    panel = room->getSuspendPanel();
    ASSERT_NE(panel, nullptr);
    const std::string said = mainFrame.getTopWindow()->getChild("suspend/icon")->getText().c_str();
    EXPECT_NE(said.find("goes on"), std::string::npos) << said;
    room->onLandLoadState(0, LOAD_READY);
    frame();
    EXPECT_EQ(room->getSuspendPanel(), panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(cursor.cursorCapture(), 0);
    ctx.injectMouseButtonDown(CEGUI::LeftButton);
    ctx.injectMouseButtonUp(CEGUI::LeftButton);
    frame();
    EXPECT_EQ(room->getSuspendPanel(), nullptr);
    EXPECT_TRUE(room->isDragCursor());
    room->suspendInput();
    ASSERT_NE(room->getSuspendPanel(), nullptr);
    EXPECT_TRUE(room->getSuspendPanel()->isVisible());
    ctx.injectMouseButtonDown(CEGUI::LeftButton);
    ctx.injectMouseButtonUp(CEGUI::LeftButton);
    frame();

    // A panel whose layout never loaded still lets its picture set go.
    BattleRoom::ZRKSuspendPanel lone(room.get());
    CeguiWidgets::loadImageset("suspend.imageset");
    lone.destroyWindow();
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("suspend/paused"));
    lone.destroyWindow();
}

TEST(VaneSnapShotScene, TurnsFromTheFacingToTheWindOnTheGroundOnly)
{
    Ogre::LogManager logs;
    logs.createLog("vane-ogre.log", true, false, true);
    Ogre::Root root("", "", "");
    Ogre::DefaultHardwareBufferManager buffers;
    Ogre::MaterialManager::getSingleton().initialise();
    core::GrafixScene scene(root.createSceneManager(), "battle");
    {
        BattleRoom::VaneSnapShotScene vane(nullptr, nullptr, &scene);
        Ogre::SceneNode* node = vane.getVaneMovable();
        ASSERT_NE(node, nullptr);
        ASSERT_NE(scene.getSite("__vane"), nullptr);
        using yake::math::Vector3;
        const auto turned = [&](const Vector3& wind, const Vector3& facing) {
            vane.updateWind(wind, facing);
            return node->getOrientation();
        };
        const Ogre::Quaternion same = turned(Vector3(3, 0, 0), Vector3(1, 0, 0));
        EXPECT_TRUE(same.equals(Ogre::Quaternion::IDENTITY, Ogre::Radian(1e-4f)));
        const Ogre::Quaternion half = turned(Vector3(0, 0, -2), Vector3(0, 0, 5));
        EXPECT_NEAR(std::fabs(half.y), 1.0f, 1e-4f); // a half turn about the up axis
        EXPECT_NEAR((half * Ogre::Vector3::UNIT_Z).z, -1.0f, 1e-4f);
        // Up and down parts change nothing; a quarter turn to the right.
        const Ogre::Quaternion quarter = turned(Vector3(1, 50, 0), Vector3(0, -9, 1));
        EXPECT_NEAR((quarter * Ogre::Vector3::UNIT_Z).x, 1.0f, 1e-4f);
        const int moves = core::DefaultSceneHelper::movedCount();
        turned(Vector3(1, 0, 0.00001f), Vector3(0, 0, 1)); // below the tolerance
        EXPECT_EQ(core::DefaultSceneHelper::movedCount(), moves);
        turned(Vector3(0, 0, 0), Vector3(0, 0, 1)); // no wind: the vane points ahead
        EXPECT_TRUE(node->getOrientation().equals(Ogre::Quaternion::IDENTITY, Ogre::Radian(1e-4f)));
        EXPECT_EQ(core::DefaultSceneHelper::movedCount(), moves + 1);
        // Hidden but while its own picture renders.
        vane.showEntities();
        EXPECT_TRUE(node->isInSceneGraph());
        vane.hideEntities();
    }
    EXPECT_EQ(scene.getSite("__vane"), nullptr); // the site goes with the vane
}

TEST_F(BattleDisplaysTest, TheRoomMakesTheVaneWithTheLandAndDropsItWithTheDisplay)
{
    enterAndLoad("bag=1&prev=zrk_personalroom");
    ASSERT_NE(room->getVaneScene(), nullptr);
    ASSERT_NE(room->getVaneSnapShot(), nullptr);
    frame();
    room->onExit();
    EXPECT_EQ(room->getVaneScene(), nullptr);
}

TEST_F(BattleDisplaysTest, AWindowShowingAPictureOfASetThatGoesShowsNoneAfterward)
{
    // The battle bar lives on from battle to battle: its cells must not keep a picture of a
    // set the last battle destroyed (the next battle's first frame drew through it).
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* root = ctx.getRootWindow();
    CEGUI::Window* ownRoot = nullptr;
    if (!root) {
        ownRoot = root = windows.createWindow("DefaultWindow", "displays_root");
        ctx.setRootWindow(root);
    }
    CeguiWidgets::loadImageset("block.imageset");
    CEGUI::Window* cell = windows.createWindow(CeguiWidgets::widgetType("StaticImage"), "cell");
    root->addChild(cell);
    ASSERT_TRUE(CeguiWidgets::setImage(cell, "block/bpg_bg1"));

    CeguiWidgets::destroyImageset("block");
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("block/bpg_bg1"));
    EXPECT_EQ(prop(cell, "Image"), "");
    windows.destroyWindow(cell);
    if (ownRoot) {
        ctx.setRootWindow(nullptr);
        windows.destroyWindow(ownRoot);
    }
}
