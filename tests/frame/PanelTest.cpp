// The game's panels against the real GUI plug-in: pages by kind, event tables, hand-over.
#include <gtest/gtest.h>
#include <set>
#include <CEGUI/CEGUI.h>
#include <core/GuiSystem.h>
#include <gui/EventId.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <gui/IGuideContent.h>
#include <yake/Logger.h>

#include "events/BaseEvent.h"
#include "rooms/ScenePlayer.h"
#include "rooms/SnapShotManager.h"
#include "shell/Application.h"
#include "shell/MainFrame.h"
#include "shell/ZRKGuiLoader.h"
#include "shell/panels/ChatBoardPanel.h"
#include "shell/panels/CreateCharPanel.h"
#include "shell/panels/ZRKLoginPanel.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using zrk::gui::ZRKPanel;

namespace {

class ShopEvent : public zrk::BaseEvent {
public:
    using BaseEvent::BaseEvent;
    zrk::gui::ParamList* fillParams() override { return paramList(); }
    void callback(zrk::gui::ParamHandle) override {}
    int getEventId() override { return 81; }
};

class HallListEvent : public ShopEvent {
public:
    using ShopEvent::ShopEvent;
    int getEventId() override { return givenId(); }
};

/// A panel whose table holds test events, to prove the one routine every panel runs.
class TablePanel : public ZRKPanel {
public:
    TablePanel(core::CEGUIPanelContainer* c, int kind) : ZRKPanel(c, kind) {}
    const EventTable& events() const override
    {
        static const EventTable table = {event<ShopEvent>(), hallEvent<HallListEvent>(29),
                                         hallEvent<HallListEvent>(33)};
        return table;
    }
};

struct PluginFixture : ::testing::Test {
    std::unique_ptr<core::GuiSystem> gui = core::GuiSystem::createHeadless(800, 600);
    zrk::ZRKGuiLoader loader;
    zrk::gui::IGuiManager* manager = nullptr;
    zrk::gui::IGuiControl* control = nullptr;
    yake::logging::logger& log = yake::logging::logger::instance();

    PluginFixture()
    {
        log.enableAllSeverities();
        loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
        EXPECT_TRUE(loader.createGuiManager(&manager));
        if (manager)
            control = manager->getControl();
    }
    ~PluginFixture() override { log.stopCapture(); }
};

} // namespace

TEST_F(PluginFixture, APanelRegistersExactlyItsTableWithTheGivenIds)
{
    ASSERT_NE(control, nullptr);
    TablePanel panel(nullptr, 7);
    EXPECT_TRUE(panel.createWindow());
    EXPECT_EQ(panel.getWindow(), manager->getPage(7)->getRootWindow());
    EXPECT_TRUE(panel.registerEvents());
    EXPECT_EQ(control->registeredIds(), std::vector<int>({81, 29, 33}));
    EXPECT_NE(control->findEvent(29), control->findEvent(33));
}

TEST_F(PluginFixture, WithoutPageOrManagerNothingIsRegistered)
{
    ASSERT_NE(control, nullptr);
    log.startCapture();
    TablePanel noPage(nullptr, 99);
    EXPECT_FALSE(noPage.createWindow());
    EXPECT_EQ(noPage.getWindow(), nullptr);
    EXPECT_FALSE(noPage.registerEvents());
    EXPECT_EQ(log.captured().size(), 1u);

    TablePanel noManager(nullptr, 7); // createWindow never ran
    EXPECT_FALSE(noManager.registerEvents());
    EXPECT_TRUE(control->registeredIds().empty());
    noPage.destroyWindow(); // no window: nothing to hide
}

TEST_F(PluginFixture, DestroyWindowOnlyHidesAndSparesAWindowThePluginAlreadyLetGo)
{
    zrk::gui::ZRKLoginPanel panel(nullptr);
    ASSERT_TRUE(panel.createWindow());
    CEGUI::Window* page = panel.getWindow();
    page->show();
    panel.destroyWindow();
    EXPECT_TRUE(CEGUI::WindowManager::getSingleton().isAlive(page));
    EXPECT_FALSE(page->isVisible());

    CEGUI::WindowManager::getSingleton().destroyWindow(page);
    panel.destroyWindow();
    EXPECT_FALSE(panel.isVisible());
}

TEST(PanelWithoutPlugin, CreateWindowFailsAndRegistersNothing)
{
    zrk::ZRKGuiLoader loader; // nothing loaded
    zrk::gui::CreateCharPanel panel(nullptr);
    EXPECT_EQ(panel.getKind(), 13);
    EXPECT_FALSE(panel.createWindow());
    EXPECT_FALSE(panel.registerEvents());
}

namespace {
struct MainFrameFixture : PluginFixture {
    zrk::Application app{nullptr, "game.exe"};
    boost::shared_ptr<zrk::MainFrame> frame{new zrk::MainFrame(app)};

    ~MainFrameFixture() override
    {
        frame->destroy();
        frame.reset();
    }
};

const std::vector<std::string> kFirstPanels = {"LoginPanel", "CreateCharPanel"};
const std::vector<std::string> kAllPanels = {"LoginPanel",    "CreateCharPanel",   "AreaPanel",
                                             "RoomlistPanel", "PlayerPanel",       "RoomPanel",
                                             "MapBoardPanel", "OnlinePalyerPanel", "BackPackagePanel"};
} // namespace

TEST_F(MainFrameFixture, CreateHandsTheScreensOverFirstPanelsThenLobbyPanelsOnce)
{
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(frame->create());
    EXPECT_EQ(frame->getPanelNames(), kAllPanels);
    EXPECT_TRUE(frame->lobbyPanelsCreated());
    EXPECT_EQ(control->callCount("onFirstPanelsCreated"), 1);
    EXPECT_EQ(control->callCount("onLobbyPanelsCreated"), 1);
    frame->createLobbyPanels();
    EXPECT_EQ(frame->getPanelNames(), kAllPanels);
    EXPECT_EQ(control->callCount("onLobbyPanelsCreated"), 1);
    // Each panel registered its table once, however often the lobby was asked for.
    std::size_t tableRows = 0;
    for (const std::string& name : kAllPanels) {
        auto panel = boost::dynamic_pointer_cast<zrk::gui::ZRKPanel>(frame->getPanel(name));
        ASSERT_TRUE(panel) << name;
        tableRows += panel->events().size();
    }
    EXPECT_EQ(control->registeredIds().size(), tableRows);

    // The GUI's root fills the top window and lets the mouse through to the scene.
    CEGUI::Window* root = frame->getGuiRootWindow();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getParent(), frame->getTopWindow());
    EXPECT_EQ(root->getPixelSize(), CEGUI::Sizef(800, 600));
    EXPECT_TRUE(root->isMousePassThroughEnabled());
    EXPECT_EQ(manager->getPage(6)->getRootWindow()->getParent(), root);

    // The guide content was loaded from res/ and handed over.
    boost::shared_ptr<zrk::gui::IGuideContent> guide = manager->getGuideContent();
    ASSERT_TRUE(guide);
    EXPECT_EQ(guide->getString("ca1", 0), "10001");
}

TEST_F(MainFrameFixture, SnapshotSlotsExistOnceAndDestroyRemovesThem)
{
    log.startCapture();
    ASSERT_TRUE(frame->create());
    ASSERT_NE(zrk::SnapShotManager::getSingletonPtr(), nullptr);
    EXPECT_EQ(zrk::SnapShotManager::instance().size(), 18u);
    for (const char* name : zrk::MainFrame::kSnapShotNames)
        EXPECT_NE(zrk::SnapShotManager::instance().find(name), nullptr) << name;
    zrk::SnapShotManager::instance().createSnapShot(2, "player");
    EXPECT_EQ(log.countCaptured("SnapShotManager", "name exit"), 1u);
    EXPECT_EQ(zrk::SnapShotManager::instance().find("nobody"), nullptr);
    EXPECT_EQ(log.countCaptured("SnapShotManager", "name dosen`t exit"), 1u);
    EXPECT_EQ(zrk::SnapShotManager::instance().size(), 18u);

    // The camera tour is made with the frame; the GUI is handed its image sets.
    ASSERT_NE(zrk::ScenePlayer::getSingletonPtr(), nullptr);
    EXPECT_EQ(manager->getImagesetNames(), zrk::ScenePlayer::getSingleton().getImagesets().imagesets);
    EXPECT_EQ(manager->getImagesetNames(), std::vector<std::string>({"TaharezLook", "ZRKIcons"}));

    frame->destroy();
    EXPECT_EQ(zrk::ScenePlayer::getSingletonPtr(), nullptr);
    EXPECT_EQ(zrk::SnapShotManager::getSingletonPtr(), nullptr);
    EXPECT_EQ(control->callCount("shutdown"), 1);
    EXPECT_FALSE(frame->lobbyPanelsCreated());
    EXPECT_TRUE(frame->getPanelNames().empty());
    EXPECT_EQ(frame->getTopWindow(), nullptr);

    // A frame made again makes its lobby panels again.
    ASSERT_TRUE(frame->create());
    EXPECT_EQ(frame->getPanelNames(), kAllPanels);
    EXPECT_EQ(control->callCount("onLobbyPanelsCreated"), 2);
}

TEST(MainFrameWithoutPlugin, StillAddsEveryPanelAndGoesCleanly)
{
    zrk::ZRKGuiLoader loader;
    zrk::Application app{nullptr, "game.exe"};
    zrk::MainFrame frame(app);
    ASSERT_TRUE(frame.create());
    EXPECT_EQ(frame.getPanelNames(), kAllPanels);
    EXPECT_EQ(frame.getGuiRootWindow(), nullptr); // no GUI system either
    frame.destroy();
    EXPECT_EQ(zrk::SnapShotManager::getSingletonPtr(), nullptr);
}

namespace {
/// Every panel's events as the GUI expects them, in order (ids; the hall events' given ids).
/// Written out here as data, not read from the panels' tables.
const std::vector<std::pair<std::string, std::vector<int>>> kPanelEventIds = {
    {"LoginPanel", {131, 1, 2, 64, 85, 117, 115, 61}},
    {"CreateCharPanel", {3, 4, 5, 6}},
    {"AreaPanel", {14, 13, 15, 7, 88, 107, 108, 109, 110, 128, 130, 129, 132, 133, 134}},
    {"RoomlistPanel", {19, 20, 18, 21, 23, 24, 25, 27, 26, 62, 103}},
    {"PlayerPanel", {16, 68, 69, 70, 71, 72, 73, 74, 80, 81, 82, 84, 83, 75, 76, 78, 77, 86, 87, 90, 102}},
    {"RoomPanel", {38, 40, 37, 44, 45, 41, 42, 46, 63, 67, 104, 105, 106}},
    {"MapBoardPanel", {}},
    {"OnlinePalyerPanel", {0, 29, 30, 31, 32, 33, 34, 35, 36, 111}},
    {"BackPackagePanel", {11, 8, 9, 10, 12}},
};
/// The events built so far; the others come with their screens (add each id here as its
/// event class lands).
const std::set<int> kBuiltEventIds = {
    0,  1,  2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  18,  19,  20,  21, 23,
    24, 25, 26,  27,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  40,  41,  42,  44,  45,  46,  61, 62,
    63, 64, 67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  80,  81,  82,  83,  84,  85,  86, 87,
    88, 90, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 115, 117, 128, 129, 130, 131, 132, 133, 134};
} // namespace

TEST_F(MainFrameFixture, EveryPanelRegistersItsEventsInTheOrderTheGuiExpects)
{
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(frame->create());
    std::vector<std::string> names;
    std::vector<int> expected;
    for (const auto& panel : kPanelEventIds) {
        names.push_back(panel.first);
        for (int id : panel.second)
            if (kBuiltEventIds.count(id))
                expected.push_back(id);
    }
    // The frame makes its panels in this order, so the dispatcher holds their events in it.
    EXPECT_EQ(frame->getPanelNames(), names);
    EXPECT_EQ(control->registeredIds(), expected);

    // The chat board is not one of the frame's panels; it registers nothing.
    const std::size_t before = control->registeredIds().size();
    zrk::gui::ChatBoardPanel chat(nullptr);
    EXPECT_EQ(chat.getKind(), 3);
    chat.createWindow();
    chat.registerEvents();
    EXPECT_EQ(control->registeredIds().size(), before);
}

TEST(EventIdTable, NamesEveryIdOfThePanelsListsOnceAndNothingAboveTheLast)
{
    namespace Ids = zrk::gui::EventId;
    std::set<int> ids;
    std::set<std::string> names;
    int highest = -1;
    for (const Ids::Named& row : Ids::kAll) {
        EXPECT_TRUE(ids.insert(row.id).second) << row.name << " repeats " << row.id;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        highest = std::max(highest, static_cast<int>(row.id));
    }
    EXPECT_EQ(highest, Ids::kLast);
    for (const auto& panel : kPanelEventIds)
        for (int id : panel.second)
            EXPECT_NE(Ids::nameOf(id), nullptr)
                << panel.first << " registers " << id << ", which the table does not name";
    for (int id : kBuiltEventIds)
        EXPECT_NE(Ids::nameOf(id), nullptr) << id;
    EXPECT_EQ(Ids::nameOf(Ids::kLast + 1), nullptr);
    EXPECT_STREQ(Ids::nameOf(64), "MessageBoxShow");
}
