// The character-creation state: its scene set up in order, the preview figure only once the
// site reported the scene loaded (never inside the load call), leaving before or after that,
// its music each visit, and the documents still held when it goes.
#include <Ogre.h>
#include <algorithm>
#include <fstream>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <scene/BasicSite.h>
#include <scene/ProductManager.h>

#include "RoomTestKit.h"
#include "rooms/BackgroundScene.h"
#include "rooms/CreateCharRoom.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "shell/ZRKGuiLoader.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct CreateCharRoomFixture : ::testing::Test {
    roomtest::ManualClock clock;
    roomtest::HeadlessGraphics gfx;
    core::BlackBoard board;
    core::AudioManager audio;
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;
    gui::IGuiControl* control = nullptr;
    ZRKRoleRes roleRes;
    roomtest::LogCapture log;
    CreateCharRoom room;

    CreateCharRoomFixture()
    {
        board.setString("kavri3D/appPath", zrktest::binFolder() + "/");
        loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
        if (loader.createGuiManager(&manager))
            control = manager->getControl();
        roleRes.load();
    }
    ~CreateCharRoomFixture() override
    {
        if (room.hasScene())
            room.onExit();
        BackgroundScene::destroyInstance();
        RoleManager::destroyInstance();
        core::ProductManager::instance().clear();
        if (manager)
            manager->shutdown();
    }
    std::size_t raised(int id) const
    {
        const std::vector<int> ids = control->raisedIds();
        return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id));
    }
};

} // namespace

TEST_F(CreateCharRoomFixture, TheSceneLoadsThenThePreviewStandsAtTheTargetAndTheScreenIsTold)
{
    ASSERT_NE(control, nullptr);
    room.onEnter("");
    ASSERT_NE(room.getDefaultSite(), nullptr);
    EXPECT_TRUE(room.getDefaultSite()->hasItemNamed("loading_scence"));
    EXPECT_FLOAT_EQ(room.getDefaultSite()->getDesc().getRealVal("loader/frame", 0), 999999.0f);
    EXPECT_TRUE(room.isCameraLocked());
    EXPECT_TRUE(audio.isPlaying(static_cast<int>(room.getMusicId())));
    // Loaded, but reported only from the next frame: no figure and no screen yet.
    EXPECT_FALSE(room.isSceneLoaded());
    EXPECT_EQ(RoleManager::instance().getRole("createchar"), nullptr);
    EXPECT_EQ(raised(49), 0u);

    room.onFrame(0.1f);
    EXPECT_TRUE(room.isSceneLoaded());
    ZRKRolePtr role = RoleManager::instance().getRole("createchar");
    ASSERT_NE(role, nullptr);
    EXPECT_EQ(RoleManager::instance().getRoom(), &room);
    // The default look's document names the camera's place and the figure's: it looks at the
    // figure's feet raised by 2.
    EXPECT_EQ(role->getPosition(), Ogre::Vector3(0, 2, 0));
    Ogre::SceneNode* camera = room.getCamera()->getParentSceneNode();
    EXPECT_EQ(camera->getPosition(), Ogre::Vector3(0, 45, 320));
    const Ogre::Vector3 looking = camera->getOrientation() * Ogre::Vector3::NEGATIVE_UNIT_Z;
    EXPECT_LT(looking.angleBetween(Ogre::Vector3(0, 4, 0) - Ogre::Vector3(0, 45, 320)).valueDegrees(), 0.01f);
    EXPECT_EQ(raised(49), 1u);

    // Turning and idling run every frame from here.
    bool asked = false;
    role->setTurnHandler([&asked](bool& turn, bool&) { asked = turn = true; });
    room.onFrame(0.1f);
    EXPECT_TRUE(asked);

    const long music = room.getMusicId();
    room.onExit();
    EXPECT_FALSE(audio.isPlaying(static_cast<int>(music)));
    EXPECT_EQ(room.getMusicId(), -1);
    EXPECT_EQ(RoleManager::instance().getRole("createchar"), nullptr);
    EXPECT_FALSE(room.isSceneLoaded());

    // Again: new music.
    room.onEnter("");
    EXPECT_NE(room.getMusicId(), music);
    EXPECT_TRUE(audio.isPlaying(static_cast<int>(room.getMusicId())));
}

TEST_F(CreateCharRoomFixture, LeavingBeforeTheLoadStopsTheMusicAndALateLoadMakesNoFigure)
{
    RoleManager::destroyInstance(); // a registry an earlier test of this program left behind
    room.onEnter("");
    core::BasicSite* site = room.getDefaultSite();
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->pendingLoadReports(), 1u);
    EXPECT_EQ(RoleManager::getSingletonPtr(), nullptr); // nothing asked of the registry yet
    const long music = room.getMusicId();
    room.onExit();
    EXPECT_FALSE(audio.isPlaying(static_cast<int>(music)));
    EXPECT_EQ(RoleManager::instance().getRole("createchar"), nullptr);
    // The handler is cut: reporting it now reaches no room.
    room.onSceneLoaded("loading_scence");
    EXPECT_EQ(RoleManager::instance().getRole("createchar"), nullptr);
    EXPECT_EQ(raised(49), 0u);
}

TEST_F(CreateCharRoomFixture, OnlyABuiltBackgroundSceneIsTornDownAndNoneIsMade)
{
    room.onEnter("");
    EXPECT_EQ(BackgroundScene::getSingletonPtr(), nullptr);
    room.onExit();
}

TEST_F(CreateCharRoomFixture, ABrokenCameraPlaceFallsBackToTheFixedOne)
{
    zrktest::TempDir dir;
    std::ofstream(dir.file("defstate.json")) << R"({"Loading1ST": ["0 60", {"x": 1}]})";
    roleRes.load(dir.file("defstate.json"));
    room.onEnter("");
    room.onFrame(0.1f);
    EXPECT_EQ(room.getCamera()->getParentSceneNode()->getPosition(), Ogre::Vector3(-11.984f, 14.7f, 90.024f));
    ZRKRolePtr role = RoleManager::instance().getRole("createchar");
    ASSERT_NE(role, nullptr);
    EXPECT_EQ(role->getPosition(), Ogre::Vector3(-12.257f, 13.116f, 79.52f));
}

TEST_F(CreateCharRoomFixture, DocumentsStillHeldWhenLeavingAreReportedAndKept)
{
    room.onEnter("");
    core::ProductManager::instance().addDocument("held_thing", "held_thing.mesh");
    core::ProductManager::instance().addDocument("loose_thing", "loose_thing.mesh");
    core::SceneDocumentPtr held = core::ProductManager::instance().lookup("held_thing", false);
    room.onExit();
    EXPECT_EQ(core::ProductManager::instance().size(), 1u);
    EXPECT_EQ(log.count("ZRKLand", "using documents in cache."), 1u);

    held.reset();
    room.onEnter("");
    room.onExit();
    EXPECT_EQ(core::ProductManager::instance().size(), 0u);
    EXPECT_EQ(log.count("ZRKLand", "using documents in cache."), 1u);
}
