// The character-creation screen in a real game window: the dressed preview in its scene, the
// creation page beside it, and a click on the page's ">" for the hair that dresses the preview
// in the next hair, which looks different. The picture goes to the build's
// shots/create-character.png (scripts/shots puts it in the README).
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/AudioManager.h>
#include <gui/IGuiControl.h>
#include <scene/ProductManager.h>
#include <yake/Math.h>

#include "RoomTestKit.h"
#include "events/ChangeCharStateEvent.h"
#include "events/CreateCharEvent.h"
#include "events/CreateCharLoadingEvent.h"
#include "events/RollCharEvent.h"
#include "rooms/CreateCharRoom.h"
#include "support/PageWindow.h"

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
    Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA,
                       pixels.data());
    window->copyContentsToMemory(box, box);
    const Ogre::Vector3 at = camera->getProjectionMatrix() * (camera->getViewMatrix() * point);
    const std::size_t x = static_cast<std::size_t>((at.x * 0.5f + 0.5f) * static_cast<float>(w));
    const std::size_t y = static_cast<std::size_t>((0.5f - at.y * 0.5f) * static_cast<float>(h));
    const unsigned char* p = &pixels[(std::min(y, h - 1) * w + std::min(x, w - 1)) * 4];
    return Pixel{p[0], p[1], p[2]};
}

/// The creation screen's page in a game window, its draws the same every run.
struct CreateCharRender : zrktest::PageWindow {
    core::AudioManager audio;
    std::unique_ptr<zrk::CreateCharRoom> room;

    CreateCharRender() : zrktest::PageWindow("character creation", 1280, 720) {}

    void SetUp() override
    {
        zrktest::PageWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        core::ProductManager::instance().clear();
        // The same draws every run: the picture in the docs changes only when the screen does.
        yake::math::Math::setRandomSource([] { return 0.4f; });
    }
    void TearDown() override
    {
        room.reset();
        yake::math::Math::setRandomSource(std::function<float()>());
        zrk::BackgroundScene::destroyInstance();
        zrk::RoleManager::destroyInstance();
        core::ProductManager::instance().clear();
        zrktest::PageWindow::TearDown();
    }
    /// The creation room's scene moves on with the window's frames.
    void onFrame(float seconds) override
    {
        if (room)
            room->onFrame(seconds);
    }
};

} // namespace

TEST_F(CreateCharRender, TheCreationScreenShowsTheDressedPreviewAndItsChoices)
{
    zrk::gui::IGuiPage* page = manager->getPage(13);
    registerEvent<zrk::CreateCharLoadingEvent>(13);
    registerEvent<zrk::ChangeCharStateEvent>(13);
    registerEvent<zrk::RollCharEvent>(13);
    registerEvent<zrk::CreateCharEvent>(13);

    room.reset(new zrk::CreateCharRoom);
    room->onEnter("");
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
    const Pixel before = pixelAt(gfx->getRenderWindow(), room->getCamera(), hairPoint);
    CEGUI::Window* next = window->getChild("Part0Next");
    CEGUI::WindowEventArgs click(next);
    next->fireEvent(CEGUI::PushButton::EventClicked, click);
    frames(2);
    EXPECT_NE(role->getDefaultItems()[0], hair);
    const Pixel after = pixelAt(gfx->getRenderWindow(), room->getCamera(), hairPoint);
    EXPECT_FALSE(before == after) << "two hair choices look alike";

    window->getChild("Name")->setText("Newbie");
    frames(1);
    boost::filesystem::create_directories(ZRK_SHOTS_DIR);
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/create-character.png"));
    room->onExit();
}
