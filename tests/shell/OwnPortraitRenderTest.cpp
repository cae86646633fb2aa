// The player's own figure in its portrait, in the real game window: "hero" looks into his bag
// (his outfit arrives) and finds all of himself beside it, goes back and opens the player page
// with the mouse; his "You" picture shows all of him too, not only what he wears: his face and
// arms beside his coat, and the figure fills most of the picture's height
// (shots/own-portrait.png). The "Trying on" picture beside it does the same.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>

#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

namespace {

/// What a portrait's texture holds: how tall the drawn figure stands and how many of its
/// pixels have the hue of each part.
struct PortraitLook {
    unsigned height = 0, drawnRows = 0;
    long skin = 0, coat = 0; // face and arms; the coat
};

PortraitLook lookAt(const char* snapshotName)
{
    PortraitLook look;
    kavri3D::core::SnapShotEx* snapshot = kavri3D::zrk::SnapShotManager::instance().find(snapshotName);
    Ogre::Texture* texture = snapshot ? snapshot->getTexture() : nullptr;
    if (!texture)
        return look;
    const unsigned w = texture->getWidth(), h = texture->getHeight();
    std::vector<unsigned char> rgba(std::size_t(w) * h * 4);
    Ogre::PixelBox box(w, h, 1, Ogre::PF_BYTE_RGBA, rgba.data());
    texture->getBuffer()->blitToMemory(box);
    look.height = h;
    unsigned top = h, bottom = 0;
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x)
            if (rgba[(std::size_t(y) * w + x) * 4 + 3] > 0) { // else the cleared background
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    look.drawnRows = bottom >= top ? bottom - top + 1 : 0;
    // Above the shoes, whose leather is of the skin's hue.
    const unsigned shoes = top + look.drawnRows * 8 / 10;
    for (unsigned y = top; y < shoes; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const unsigned char* p = &rgba[(std::size_t(y) * w + x) * 4];
            const float r = p[0], g = p[1], b = p[2];
            if (p[3] == 0)
                continue;
            // The lit face and the gloved arms: pale, brighter than hair, coat and shoes.
            if (r > 200 && g > 200 && b > 120)
                ++look.skin;
            // The coat: red with little else.
            if (g < 0.6f * r && b < 0.6f * r)
                ++look.coat;
        }
    return look;
}

} // namespace

using OwnPortraitOnScreen = zrktest::GameOnScreen;

TEST_F(OwnPortraitOnScreen, HeroSeesAllOfHimselfFillingHisPictureBesideTheBagAndOnThePlayerPage)
{
    PortraitLook inBag, own, trying;
    std::string image;
    bool shot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return zrktest::shownPage("AreaPage") != nullptr; }, 300));
        game.frames(3);
        zrktest::clickOn(input, zrktest::shownPage("AreaPage")->getChild("Bag"));
        ASSERT_TRUE(game.framesUntil([] { return zrktest::shownPage("BagPage") != nullptr; }, 60));
        game.frames(30);
        inBag = lookAt("player");
        zrktest::clickOn(input, zrktest::shownPage("BagPage")->getChild("Back"));
        CEGUI::Window* page = zrktest::openPlayerPage(game, input);
        ASSERT_NE(page, nullptr);
        CEGUI::Window* picture = page->getChildRecursive("Picture_myself");
        ASSERT_NE(picture, nullptr);
        // Dressed from the server's outfit and default look, and drawn.
        game.frames(30);
        image = picture->getProperty("Image").c_str();
        own = lookAt("player");
        trying = lookAt("showview");
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/own-portrait.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(shot);
    EXPECT_EQ(image, "myself");
    // Beside the bag, before the player page was ever opened.
    EXPECT_GT(inBag.skin, 150) << "the face and the arms beside the bag";
    EXPECT_GT(inBag.drawnRows, inBag.height * 6 / 10);
    ASSERT_EQ(own.height, 256u);
    EXPECT_GT(own.skin, 150) << "the face and the arms";
    EXPECT_GT(own.coat, 150);
    EXPECT_GT(own.drawnRows, own.height * 6 / 10) << "the figure fills most of its picture";
    EXPECT_LT(own.drawnRows, own.height) << "with nothing cut off";
    EXPECT_GT(trying.skin, 150);
    EXPECT_GT(trying.drawnRows, trying.height * 6 / 10);
}
