#include <CEGUI/CEGUI.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <core/AbstractWin32Application.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <lan/ZRKLan.h>

#include "PngProbe.h"
#include "support/TestEnv.h"
#include "support/XWindowInput.h" // last: X11's macros

using namespace kavri3D;

namespace {
struct BareApp : core::ExampleApplication<core::ApplicationConfiguration> {
    BareApp() : core::ExampleApplication<core::ApplicationConfiguration>(nullptr, "game.exe") {}
};
} // namespace

// A keyed choice box in the real game window, as the player sees it; the picture goes to the
// build's shots/ (scripts/shots puts it in the README).
TEST(MessageBoxOnScreen, ChoiceBoxIsDrawnWithItsTextsAndButtons)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    core::GraphicsSystem::WindowSpec spec;
    spec.width = 800;
    spec.height = 600;
    auto g = core::GraphicsSystem::create(false, spec);
    ASSERT_NE(g, nullptr);
    zrk::ZRKLan texts("res/lan");
    BareApp app;
    core::Frame frame(app);
    frame.setTextLookup([](const std::string& key) { return zrk::ZRKLan::getMsg(key); });
    ASSERT_TRUE(frame.create());
    int answered = -1;
    frame.messageBox2("warning/title_quit", "warning/quit", [&](core::DialogBoxResult& r) { answered = r.button; }, 3, 9,
                      300, 150);
    ASSERT_NE(frame.getMessageBoxWindow(), nullptr);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(g->renderOneFrame(1.f / 24));
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
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(g->renderOneFrame(1.f / 24)) << "frame " << i;
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(CEGUI::WindowManager::getSingleton().isAlive(box));
    EXPECT_EQ(g->getFramesRendered(), 15u);

    // The box holds the keys; Escape closes it unanswered and the game goes on drawing.
    answered = 5;
    frame.messageBox2("warning/title_quit", "warning/quit", [&](core::DialogBoxResult& r) { answered = r.button; }, 3, 9,
                      300, 150);
    box = frame.getMessageBoxWindow();
    ASSERT_NE(box, nullptr);
    input.key(XK_Escape);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(g->renderOneFrame(1.f / 24)) << "frame " << i;
    EXPECT_EQ(answered, -1);
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(CEGUI::WindowManager::getSingleton().isAlive(box));
    frame.destroy();
}
