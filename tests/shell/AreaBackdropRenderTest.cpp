// The lobby's own look in the real game window: once its GUI resources are loaded, the area
// page stands on the GUIX1 backdrop (hills under an evening sky) instead of the plain look;
// the picture goes to the build's shots/area-backdrop.png.
#include <CEGUI/CEGUI.h>
#include <OGRE/OgreRenderWindow.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>
#include <vector>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::shownPage;

using AreaBackdropOnScreen = zrktest::GameOnScreen;

TEST_F(AreaBackdropOnScreen, TheAreaPageStandsOnTheLobbysOwnBackdrop)
{
    std::string image;
    std::size_t hillPixels = 0, strip = 0;
    bool shot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300));
        game.frames(5);
        CEGUI::Window* area = shownPage("AreaPage");
        ASSERT_TRUE(area->isChild("Backdrop"));
        image = area->getChild("Backdrop")->getProperty("Image").c_str();

        // Below the zone list, between "Forge" and "Enter", the backdrop's foot shows: its green hills.
        Ogre::RenderWindow* window = graphics->getRenderWindow();
        const std::size_t w = window->getWidth(), h = window->getHeight();
        std::vector<unsigned char> pixels(w * h * 4);
        Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA,
                           pixels.data());
        window->copyContentsToMemory(box, box);
        const CEGUI::Rectf zones = area->getChild("Zones")->getUnclippedOuterRect().get();
        const CEGUI::Rectf enter = area->getChild("Enter")->getUnclippedOuterRect().get();
        const float left =
            area->isChild("Forge") ? area->getChild("Forge")->getUnclippedOuterRect().get().right() : zones.left();
        const std::size_t x0 = static_cast<std::size_t>(left + 4), x1 = static_cast<std::size_t>(enter.left() - 4);
        const std::size_t y0 = static_cast<std::size_t>(zones.bottom() + 4),
                          y1 = static_cast<std::size_t>(enter.bottom());
        for (std::size_t y = y0; y < y1 && y < h; ++y)
            for (std::size_t x = x0; x < x1 && x < w; ++x) {
                const unsigned char* p = &pixels[(y * w + x) * 4];
                ++strip;
                if (p[1] > p[0] + 20 && p[1] > p[2] + 20)
                    ++hillPixels;
            }
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/area-backdrop.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(image, "GUIX1/AreaBackdrop");
    EXPECT_GT(strip, 0u);
    EXPECT_GT(hillPixels, strip / 2);
    EXPECT_TRUE(shot);
}
