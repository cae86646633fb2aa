// The player page's preview in the real game window: "hero" opens the shop from the area page,
// drags the preview figure a quarter of its picture's width to the right and it stands a quarter
// turn round; ticking "Turn" sets it turning by itself, and its picture on screen with it. The strengthening tab lists
// the strengthening goods, on sale or not (shots/strengthen.png).
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>
#include <scene/BasicPlayer.h>

#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

CEGUI::Rectf rect(CEGUI::Window* w) { return w->getUnclippedOuterRect().get(); }

/// The preview figure's turn about the vertical axis, in degrees; NaN without the figure.
float previewYaw()
{
    kavri3D::zrk::ZRKRolePtr view = kavri3D::zrk::RoleManager::instance().getRole("showview");
    auto player = view ? view->getPlayer() : nullptr;
    Ogre::SceneNode* node = player ? player->getMovable() : nullptr;
    return node ? node->getOrientation().getYaw().valueDegrees() : std::numeric_limits<float>::quiet_NaN();
}

/// The window's pixels inside the rectangle, as drawn.
std::vector<unsigned char> pixels(Ogre::RenderWindow* window, const CEGUI::Rectf& r)
{
    const std::size_t w = window->getWidth(), h = window->getHeight();
    std::vector<unsigned char> all(w * h * 4);
    Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA, all.data());
    window->copyContentsToMemory(box, box);
    std::vector<unsigned char> inside;
    for (std::size_t y = static_cast<std::size_t>(r.top()); y < static_cast<std::size_t>(r.bottom()) && y < h; ++y)
        for (std::size_t x = static_cast<std::size_t>(r.left()); x < static_cast<std::size_t>(r.right()) && x < w; ++x)
            inside.insert(inside.end(), &all[(y * w + x) * 4], &all[(y * w + x) * 4] + 4);
    return inside;
}

std::vector<std::string> rows(CEGUI::Window* w)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(w);
    std::vector<std::string> out;
    for (CEGUI::uint r = 0; r < list->getRowCount(); ++r)
        out.push_back(std::string(list->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str()) + " | " +
                      list->getItemAtGridReference(CEGUI::MCLGridRef(r, 1))->getText().c_str());
    return out;
}

} // namespace

using PreviewOnScreen = zrktest::GameOnScreen;

TEST_F(PreviewOnScreen, HeroTurnsThePreviewWithTheMouseSetsItTurningAndSeesTheStrengtheningGoods)
{
    float before = 0, dragged = 0, still = 0, turning = 0;
    std::vector<std::string> goods;
    bool shot = false, redrawn = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        CEGUI::Window* page = openPlayerPage(game, input);
        ASSERT_NE(page, nullptr);
        game.frames(10); // the preview dressed and drawn
        CEGUI::Window* picture = page->getChildRecursive("Picture_showview");
        ASSERT_NE(picture, nullptr);
        before = previewYaw();
        const CEGUI::Rectf r = rect(picture);
        const int y = static_cast<int>(r.top() + r.getHeight() / 2), x = static_cast<int>(r.left() + r.getWidth() / 4);
        input.drag(x, y, x + static_cast<int>(r.getWidth() / 4), y, 5);
        game.frames(3);
        dragged = previewYaw();
        game.frames(10);
        still = previewYaw(); // no turning by itself yet

        clickOn(input, page->getChildRecursive("Turn"));
        game.frames(5);
        const std::vector<unsigned char> early = pixels(graphics->getRenderWindow(), rect(picture));
        game.frames(25);
        turning = previewYaw();
        // The picture on screen follows the figure, not only the scene.
        redrawn = pixels(graphics->getRenderWindow(), rect(picture)) != early;

        clickOn(input, page->getChild("Tab_Strengthen"));
        game.frames(10);
        goods = rows(page->getChildRecursive("StrList"));
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/strengthen.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_NEAR(before, 0.0f, 0.5f);
    // A quarter of the picture's width is a quarter turn (to a pixel of the drag).
    EXPECT_NEAR(dragged - before, 90.0f, 3.0f);
    EXPECT_FLOAT_EQ(still, dragged);
    EXPECT_GT(std::fabs(turning - still), 1.0f) << "ticking Turn sets the figure turning by itself";
    EXPECT_TRUE(redrawn);
    EXPECT_EQ(goods, (std::vector<std::string>{"Forge Stone | for ever: 80 coins", "Iron Ore | not on sale"}));
    EXPECT_TRUE(shot);
}
