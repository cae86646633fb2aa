// The log-on scene in a real game window: a dressed character in front of the camera, with a
// score pop-up over it; the picture goes to the build's shots/logon-scene.png (scripts/shots
// puts it in the README).
#include <boost/filesystem.hpp>
#include <Ogre.h>
#include <data/ZRKSession.h>
#include <scene/BasicPlayer.h>

#include "support/FramePump.h"
#include "support/TestWindow.h"
#include "RoomTestKit.h"
#include "rooms/BackgroundScene.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/RoomLogon.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;

TEST(LogonSceneRender, ADressedCharacterStandsInTheLogonScene)
{
    if (!core::GraphicsSystem::displayAvailable())
        GTEST_SKIP() << "no X display";
    zrktest::TempDir dir;
    // The game's clock, moved by hand: the pop-up stands where it stood last time, so the
    // picture in the docs only changes when the scene does.
    std::unique_ptr<core::GraphicsSystem> gfx = zrktest::openTestWindow("log-on scene", 640, 480, dir.file("ogre.log"));
    ASSERT_TRUE(gfx);
    {
        zrk::ZRKRoleRes roleRes;
        roleRes.load();
        zrk::EquipRes equip;
        equip.load();
        zrk::RoomLogon logon;
        logon.onEnter("");
        ASSERT_NE(logon.getScene(), nullptr);

        zrk::ZRKRolePtr hero = zrk::RoleManager::instance().createRole("myrole", logon.getScene());
        hero->setDefaultItems({"boy", equip.getModel(1001), equip.getModel(1101)});
        hero->setAttr("coat", equip.getModel(2001));
        hero->setAttr("shoes", equip.getModel(2201));
        hero->setAttr("back", equip.getModel(2401));
        hero->setAttr("hand", "boy_hand_cannon");
        for (const std::string& action : roleRes.getIdleActions("boy"))
            hero->addItem(action);
        hero->loadEquipment();
        hero->setPosition(0, 0, 0);
        ASSERT_EQ(hero->getPlayer()->shownParts(), 7u);
        logon.showNumber(120, Ogre::Vector3(0, 95, 0));

        zrktest::FramePump pump([&] {
            yake::native::advanceTime(1.0 / 60);
            logon.onFrame(1.f / 60);
            zrk::RoleManager::instance().update(1.f / 60);
            return gfx->renderOneFrame(1.f / 60);
        });
        ASSERT_TRUE(pump.frames(10)) << "the window stopped drawing";
        EXPECT_GT(gfx->nonBlackShare(), 0.9); // the backdrop colour fills the frame

        // The character's coat is red at the middle of its body, where the camera looks.
        Ogre::RenderWindow* window = gfx->getRenderWindow();
        const std::size_t w = window->getWidth(), h = window->getHeight();
        std::vector<unsigned char> pixels(w * h * 4);
        Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA,
                           pixels.data());
        window->copyContentsToMemory(box, box);
        Ogre::Camera* camera = logon.getCamera();
        const Ogre::Vector3 coat = camera->getProjectionMatrix() * (camera->getViewMatrix() * Ogre::Vector3(0, 46, 0));
        const std::size_t cx = static_cast<std::size_t>((coat.x * 0.5f + 0.5f) * w);
        const std::size_t cy = static_cast<std::size_t>((0.5f - coat.y * 0.5f) * h);
        std::size_t reddish = 0;
        for (std::size_t y = cy - 5; y <= cy + 5; ++y)
            for (std::size_t x = cx - 5; x <= cx + 5; ++x) {
                const unsigned char* p = &pixels[(y * w + x) * 4];
                if (p[0] > 100 && p[0] > p[1] + 40 && p[0] > p[2] + 40)
                    ++reddish;
            }
        EXPECT_GT(reddish, 100u) << "no coat at " << cx << "," << cy;

        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/logon-scene.png"));
        logon.onExit();
        zrk::BackgroundScene::destroyInstance();
        zrk::RoleManager::destroyInstance();
    }
    yake::native::setManualClock(false);
    gfx.reset();
}
