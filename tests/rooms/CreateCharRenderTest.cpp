// The character-creation screen in a real game window: the dressed preview in its scene, the
// creation page beside it, and a click on the page's ">" for the hair that dresses the preview
// in the next hair, which looks different. The picture goes to the build's
// shots/create-character.png (scripts/shots puts it in the README).
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/AbstractWin32Application.h>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <scene/ProductManager.h>
#include <yake/Math.h>

#include "support/TestWindow.h"
#include "RoomTestKit.h"
#include "events/ChangeCharStateEvent.h"
#include "events/CreateCharEvent.h"
#include "events/CreateCharLoadingEvent.h"
#include "events/RollCharEvent.h"
#include "rooms/BackgroundScene.h"
#include "rooms/CreateCharRoom.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "shell/ZRKGuiLoader.h"

using namespace kavri3D;

namespace {

/// The colour of the window's pixel under a point of the scene.
struct Pixel {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

Pixel pixelAt(Ogre::RenderWindow* window, Ogre::Camera* camera, const Ogre::Vector3& point)
{
    const std::size_t w = window->getWidth(), h = window->getHeight();
    std::vector<unsigned char> pixels(w * h * 4);
    Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA, pixels.data());
    window->copyContentsToMemory(box, box);
    const Ogre::Vector3 at = camera->getProjectionMatrix() * (camera->getViewMatrix() * point);
    const std::size_t x = static_cast<std::size_t>((at.x * 0.5f + 0.5f) * static_cast<float>(w));
    const std::size_t y = static_cast<std::size_t>((0.5f - at.y * 0.5f) * static_cast<float>(h));
    const unsigned char* p = &pixels[(std::min(y, h - 1) * w + std::min(x, w - 1)) * 4];
    return Pixel{p[0], p[1], p[2]};
}

} // namespace

TEST(CreateCharRender, TheCreationScreenShowsTheDressedPreviewAndItsChoices)
{
    if (!core::GraphicsSystem::displayAvailable())
        GTEST_SKIP() << "no X display";
    zrktest::TempDir dir;
    std::unique_ptr<core::GraphicsSystem> gfx = zrktest::openTestWindow("character creation", 1280, 720, dir.file("ogre.log"));
    ASSERT_TRUE(gfx);
    {
        core::BlackBoard board;
        board.setString("kavri3D/appPath", zrktest::binFolder() + "/");
        core::AudioManager audio;
        core::ExampleApplication<core::ApplicationConfiguration> app{nullptr, "game.exe"};
        core::Frame frame{app};
        ASSERT_TRUE(frame.create());
        std::unique_ptr<zrk::GameServices::FrameLoan> loan(new zrk::GameServices::FrameLoan(frame));
        zrk::ZRKGuiLoader loader;
        loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
        zrk::gui::IGuiManager* manager = nullptr;
        ASSERT_TRUE(loader.createGuiManager(&manager));
        zrk::ZRKRoleRes roleRes;
        roleRes.load();
        core::ProductManager::instance().clear();
        // The same draws every run: the picture in the docs changes only when the screen does.
        yake::math::Math::setRandomSource([] { return 0.4f; });
        {
            zrk::gui::IGuiPage* page = manager->getPage(13);
            zrk::gui::IEventDispatcher* dispatcher = manager->getEventDispatcher();
            dispatcher->registerEvent(new zrk::CreateCharLoadingEvent(page, dispatcher));
            dispatcher->registerEvent(new zrk::ChangeCharStateEvent(page, dispatcher));
            dispatcher->registerEvent(new zrk::RollCharEvent(page, dispatcher));
            dispatcher->registerEvent(new zrk::CreateCharEvent(page, dispatcher));

            zrk::CreateCharRoom room;
            room.onEnter("");
            auto frames = [&](int count) {
                for (int i = 0; i < count; ++i) {
                    yake::native::advanceTime(1.0 / 60);
                    room.onFrame(1.f / 60);
                    ASSERT_TRUE(gfx->renderOneFrame(1.f / 60));
                }
            };
            frames(4);
            const std::vector<std::string> shown = manager->getControl()->shownPages();
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back(), "createchar");
            CEGUI::Window* window = page->getRootWindow();
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->isVisible());
            zrk::ZRKRolePtr role = zrk::RoleManager::instance().getRole("createchar");
            ASSERT_NE(role, nullptr);
            ASSERT_EQ(role->getDefaultItems().size(), 5u);
            const std::string hair = role->getDefaultItems()[0];
            EXPECT_EQ(window->getChild("Part0Count")->getText().substr(1), " / 3");

            // The figure stands at the target, its hair some 80 units up.
            const Ogre::Vector3 hairPoint = role->getPosition() + Ogre::Vector3(0, 80, 0);
            const Pixel before = pixelAt(gfx->getRenderWindow(), room.getCamera(), hairPoint);
            CEGUI::Window* next = window->getChild("Part0Next");
            CEGUI::WindowEventArgs click(next);
            next->fireEvent(CEGUI::PushButton::EventClicked, click);
            frames(2);
            EXPECT_NE(role->getDefaultItems()[0], hair);
            const Pixel after = pixelAt(gfx->getRenderWindow(), room.getCamera(), hairPoint);
            EXPECT_FALSE(before == after) << "two hair choices look alike";

            window->getChild("Name")->setText("Newbie");
            frames(1);
            boost::filesystem::create_directories(ZRK_SHOTS_DIR);
            EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/create-character.png"));
            room.onExit();
        }
        yake::math::Math::setRandomSource(std::function<float()>());
        zrk::BackgroundScene::destroyInstance();
        zrk::RoleManager::destroyInstance();
        core::ProductManager::instance().clear();
        manager->shutdown();
        loader.unload();
        loan.reset();
        frame.destroy();
    }
    core::TimerManager::instance().clear();
    yake::native::setManualClock(false);
    gfx.reset();
}
