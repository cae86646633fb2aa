#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <core/AbstractWin32Application.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <lan/ZRKLan.h>

#include <json/json.h>
#include <util/JsonText.h>

#include "PngProbe.h"
#include "support/TestEnv.h"
#include "support/TestWindow.h"
#include "support/XWindowInput.h" // last: X11's macros

using namespace kavri3D;

namespace {
struct BareApp : core::ExampleApplication<core::ApplicationConfiguration> {
    BareApp() : core::ExampleApplication<core::ApplicationConfiguration>(nullptr, "game.exe") {}
};

/// A real game window of the size with the frame's boxes in it, their texts the game's.
struct BoxWindow {
    std::unique_ptr<core::GraphicsSystem> g;
    zrk::ZRKLan texts{"res/lan"};
    BareApp app;
    core::Frame frame{app};

    BoxWindow(int width, int height)
    {
        g = zrktest::openTestWindow("", width, height, "", false);
        frame.setTextLookup([](const std::string& key) { return zrk::ZRKLan::getMsg(key); });
    }
    bool ready() { return g && frame.create(); }
};
} // namespace

// A keyed choice box in the real game window, as the player sees it; the picture goes to the
// build's shots/ (scripts/shots puts it in the README).
TEST(MessageBoxOnScreen, ChoiceBoxIsDrawnWithItsTextsAndButtons)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    BoxWindow screen(800, 600);
    ASSERT_TRUE(screen.ready());
    auto& g = screen.g;
    core::Frame& frame = screen.frame;
    int answered = -1;
    frame.messageBox2(
        "warning/title_quit", "warning/quit", [&](core::DialogBoxResult& r) { answered = r.button; }, 3, 9, 300, 150);
    ASSERT_NE(frame.getMessageBoxWindow(), nullptr);
    zrktest::FramePump pump = zrktest::drawingPump(*g, 1.f / 24);
    ASSERT_TRUE(pump.frames(5)) << "the window stopped drawing";
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/message-box.png";
    ASSERT_TRUE(g->writeScreenshot(shot));
    zrktest::PngProbe probe(shot);
    EXPECT_EQ(probe.width, 800);
    EXPECT_GT(probe.lit, 0.9);

    // The player presses OK in the real window; the box closes inside that click and the game
    // goes on drawing.
    CEGUI::Window* box = frame.getMessageBoxWindow();
    const CEGUI::Rectf ok = box->getChild("Button0")->getUnclippedOuterRect().get();
    zrktest::XWindowInput input(g->getRenderWindow());
    ASSERT_TRUE(input.valid());
    input.click(static_cast<int>(ok.left() + ok.getWidth() / 2), static_cast<int>(ok.top() + ok.getHeight() / 2));
    ASSERT_TRUE(pump.frames(10)) << "the window stopped drawing after the click";
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(CEGUI::WindowManager::getSingleton().isAlive(box));
    EXPECT_EQ(g->getFramesRendered(), 15u);

    // The box holds the keys; Escape answers with its Cancel and the game goes on drawing.
    answered = 5;
    frame.messageBox2(
        "warning/title_quit", "warning/quit", [&](core::DialogBoxResult& r) { answered = r.button; }, 3, 9, 300, 150);
    box = frame.getMessageBoxWindow();
    ASSERT_NE(box, nullptr);
    input.key(XK_Escape);
    ASSERT_TRUE(pump.frames(4)) << "the window stopped drawing after the key";
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(CEGUI::WindowManager::getSingleton().isAlive(box));
    frame.destroy();
}

// Every box the game shows, at the smallest window it makes (640 wide, 16:9): the box grows
// from the size asked for until its title and text show whole, and a text of several lines
// (the quit question's) shows them as lines.
TEST(MessageBoxOnScreen, EveryBoxFitsItsTextInTheSmallestWindow)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    BoxWindow screen(640, 360);
    ASSERT_TRUE(screen.ready());
    auto& g = screen.g;
    core::Frame& frame = screen.frame;
    auto fits = [&](const std::string& what) {
        CEGUI::Window* box = frame.getMessageBoxWindow();
        ASSERT_NE(box, nullptr) << what;
        const CEGUI::Font* font = box->getFont();
        const CEGUI::Rectf r = box->getUnclippedOuterRect().get();
        EXPECT_GE(r.left(), 0.f) << what;
        EXPECT_GE(r.top(), 0.f) << what;
        EXPECT_LE(r.right(), 640.f) << what;
        EXPECT_LE(r.bottom(), 360.f) << what;
        EXPECT_LE(font->getTextExtent(box->getText()) + 2 * font->getLineSpacing(), r.getWidth())
            << "title of " << what;
        CEGUI::Window* text = box->getChild("Text");
        EXPECT_LE(CEGUI::PropertyHelper<float>::fromString(text->getProperty("VertExtent")),
                  text->getPixelSize().d_height + 0.5f)
            << "text of " << what;
        EXPECT_EQ(std::string(text->getText().c_str()).find('\r'), std::string::npos) << what;
    };

    // The quit question with everything still open: four lines joined the Windows way.
    const std::string quit =
        zrk::ZRKLan::getMsg("warning/quit_task") + "\r\n" + zrk::ZRKLan::getMsg("warning/temp_bag_quit") + "\r\n" +
        zrk::ZRKLan::getMsg("warning/quit_lv/lv14") + "\r\n" + zrk::ZRKLan::getMsg("warning/quit_rank/lr13");
    frame.messageBoxText(zrk::ZRKLan::getMsg("warning/quit"), quit, 3, 9, 300, 180);
    fits("the quit question");
    const std::string shown = frame.getMessageBoxWindow()->getChild("Text")->getText().c_str();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 3);
    ASSERT_TRUE(zrktest::drawingPump(*g, 1.f / 24).frames(3)) << "the window stopped drawing";
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    EXPECT_TRUE(g->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/quit-box-small.png"));

    // Each of the game's texts as a box's title and as its text, in the sizes the game asks for.
    Json::Value all;
    std::string error;
    ASSERT_TRUE(core::JsonText::parse(zrktest::readFile("res/lan/texts.json"), all, error)) << error;
    for (const std::string& key : all.getMemberNames()) {
        frame.messageBox(key, key, 1, 9, 300, 150);
        fits(key);
    }
    frame.messageBox("error/role_cre", "error/role_cre", 1, 9, 300, 150);
    ASSERT_TRUE(g->renderOneFrame(1.f / 24));
    fits("error/role_cre");
    frame.destroy();
}
