#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <core/AbstractWin32Application.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <lan/ZRKLan.h>

#include "PngProbe.h"
#include "support/TestEnv.h"

using namespace kavri3D;

namespace {
struct BareApp : core::ExampleApplication<core::ApplicationConfiguration> {
    BareApp() : core::ExampleApplication<core::ApplicationConfiguration>(nullptr, "game.exe") {}
};
} // namespace

// A keyed choice box in the real game window, as the player sees it; the picture goes to the
// docs folder for the README.
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
    const std::string shot = std::string(ZRK_DOCS_DIR) + "/message-box.png";
    ASSERT_TRUE(g->writeScreenshot(shot));
    zrktest::PngProbe probe(shot);
    EXPECT_EQ(probe.width, 800);
    EXPECT_GT(probe.lit, 0.9);
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_EQ(answered, 0);
    frame.destroy();
}
