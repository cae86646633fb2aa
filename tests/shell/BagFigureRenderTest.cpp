// The bag, the player page and the forge in the real game window, played with the mouse as a new
// player would: "hero" opens his bag from the area page and finds his own figure drawn beside
// what he wears (shots/bag-figure.png); he opens a box of his bag and reads what came out; then
// he goes through every tab of the player page and of the forge. Nowhere is a label, a caption
// or a cell's text cut short, and nowhere does a word of the game's plumbing show.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/InternalWords.h"
#include "support/LabelFit.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

CEGUI::Rectf rect(CEGUI::Window* w) { return w->getUnclippedOuterRect().get(); }

/// The window's pixels inside the rectangle, as drawn, that pass the test.
long countPixels(Ogre::RenderWindow* window, const CEGUI::Rectf& r, const std::function<bool(int, int, int)>& test)
{
    const std::size_t w = window->getWidth(), h = window->getHeight();
    std::vector<unsigned char> all(w * h * 4);
    Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA, all.data());
    window->copyContentsToMemory(box, box);
    long count = 0;
    for (std::size_t y = static_cast<std::size_t>(std::max(0.0f, r.top()));
         y < static_cast<std::size_t>(r.bottom()) && y < h; ++y)
        for (std::size_t x = static_cast<std::size_t>(std::max(0.0f, r.left()));
             x < static_cast<std::size_t>(r.right()) && x < w; ++x) {
            const unsigned char* p = &all[(y * w + x) * 4];
            if (test(p[0], p[1], p[2]))
                ++count;
        }
    return count;
}

/// What the screen shows wrong on a page: its cut texts and its plumbing words, each named with
/// the page's state ("Bag: ...").
void look(CEGUI::Window* page, const std::string& state, std::vector<std::string>& cut, std::vector<std::string>& leaks)
{
    for (const std::string& c : zrktest::clippedLabels(page))
        cut.push_back(state + ": " + c);
    for (const std::string& l : zrktest::internalWords(page))
        leaks.push_back(state + ": " + l);
}

} // namespace

using BagFigureOnScreen = zrktest::GameOnScreen;

TEST_F(BagFigureOnScreen, TheFigureStandsBesideTheBagAndNoTextOfBagPlayerOrForgeIsCutShort)
{
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/bag-figure.png";
    std::vector<std::string> cut, leaks, tabs;
    std::string figureImage, boxText, boxStatus;
    CEGUI::Rectf figure, worn, bagCell;
    bool shotTaken = false;
    long figurePixels = -1, besidePixels = -1;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        // A page opened by its button on the area page; null when either never showed.
        auto open = [&](const char* button, const char* page) -> CEGUI::Window* {
            if (!game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300))
                return nullptr;
            game.frames(3);
            clickOn(input, shownPage("AreaPage")->getChild(button));
            return game.framesUntil([page] { return shownPage(page) != nullptr; }, 60) ? shownPage(page) : nullptr;
        };
        // Each tab brought to front by its button, looked at and pictured.
        auto walk = [&](CEGUI::Window* page, const std::vector<std::string>& buttons, const std::string& shots) {
            for (const std::string& tab : buttons) {
                clickOn(input, page->getChild(tab));
                game.frames(12);
                look(page, shots + " " + tab, cut, leaks);
                graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/" + shots + "-" + tab + ".png");
            }
        };
        CEGUI::Window* bag = open("Bag", "BagPage");
        ASSERT_NE(bag, nullptr);
        CEGUI::Window* picture = bag->getChildRecursive("Picture_myself");
        ASSERT_NE(picture, nullptr);
        // The bag filled and the figure's picture given.
        game.framesUntil(
            [&] { return !picture->getProperty("Image").empty() && bag->getChild("Cell_81")->getTooltipText() != ""; },
            120);
        game.frames(30);
        figureImage = picture->getProperty("Image").c_str();
        figure = rect(picture);
        worn = rect(bag->getChild("Cell_1"));
        bagCell = rect(bag->getChild("Cell_61"));
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shotTaken = graphics->writeScreenshot(shot);
        // The figure's warm colours (skin, hair, coat) inside its picture; none in the empty
        // status line, where no figure stands.
        auto warm = [](int r, int gr, int b) { return r > 140 && r > b + 60 && gr > 60; };
        figurePixels = countPixels(graphics->getRenderWindow(), figure, warm);
        besidePixels = countPixels(graphics->getRenderWindow(), rect(bag->getChild("Status")), warm);
        look(bag, "Bag", cut, leaks);

        // A box of the bag opened with the mouse: what came out, in a box of its own.
        kavri3D::core::Frame* frame = game.getMainFrame().get();
        clickOn(input, bag->getChild("Use"));
        game.frames(2);
        clickOn(input, bag->getChild("Cell_81"));
        game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60);
        game.frames(3);
        if (frame->getOpenMessageBox()) {
            boxText = frame->getOpenMessageBox()->text;
            graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/bag-box.png");
            look(frame->getMessageBoxWindow(), "Box opened from the bag", cut, leaks);
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        }
        game.frames(4);
        boxStatus = bag->getChild("Status")->getText().c_str();
        look(bag, "Bag after the box", cut, leaks);
        clickOn(input, bag->getChild("Back"));

        // Every tab of the player page.
        CEGUI::Window* player = open("Shop", "PlayerPage");
        ASSERT_NE(player, nullptr);
        game.frames(10);
        for (std::size_t i = 0; i < player->getChildCount(); ++i) {
            const std::string name = player->getChildAtIdx(i)->getName().c_str();
            if (name.compare(0, 4, "Tab_") == 0)
                tabs.push_back(name);
        }
        walk(player, tabs, "player");
        clickOn(input, player->getChild("Back"));

        // Every tab of the forge.
        CEGUI::Window* forge = open("Forge", "ForgePage");
        ASSERT_NE(forge, nullptr);
        game.frames(10);
        walk(forge, {"Tab0", "Tab1", "Tab2", "Tab3"}, "forge");
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(shotTaken);
    EXPECT_EQ(figureImage, "myself");
    // Beside the bag: left of what he wears, which is left of the bag proper.
    EXPECT_LE(figure.right(), worn.left());
    EXPECT_LT(worn.right(), bagCell.left());
    EXPECT_GT(figure.getWidth(), 100.0f);
    EXPECT_GT(figurePixels, 200) << "the figure is drawn in its picture: " << shot;
    EXPECT_EQ(besidePixels, 0);
    EXPECT_NE(boxText.find(" +"), std::string::npos) << boxText;
    EXPECT_EQ(boxStatus.find("Opened "), 0u) << boxStatus;
    EXPECT_GE(tabs.size(), 8u);
    EXPECT_EQ(cut, std::vector<std::string>{});
    EXPECT_EQ(leaks, std::vector<std::string>{});
}
