// The guide's way in from the lobby, in the real GUI plug-in over a headless CEGUI: the "Help"
// button of the area, hall and room pages asks the game for its guide; the hall's drop-out
// curtain falls, thins out and goes, and never takes a click.
#include <CEGUI/CEGUI.h>
#include <cmath>
#include <core/GuiSystem.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiEffect.h>
#include <gui/IGuiPage.h>
#include <yake/Time.h>

#include "PluginFixture.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct HelpEffectTest : zrktest::PluginFixture {
    std::unique_ptr<core::GuiSystem> ceguiSystem = core::GuiSystem::createHeadless(1024, 768);

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
        yake::native::setManualClock(true);
    }
    void TearDown() override
    {
        yake::native::setManualClock(false);
        zrktest::PluginFixture::TearDown();
    }
    CEGUI::Window* curtain()
    {
        CEGUI::Window* root = ceguiSystem->getRootWindow();
        return root->isChild("EffectCurtain") ? root->getChild("EffectCurtain") : nullptr;
    }
    /// One frame of the GUI, `seconds` after the last.
    void frame(double seconds)
    {
        yake::native::advanceTime(seconds);
        manager->getAnimator()->update(static_cast<float>(seconds));
    }
};

} // namespace

TEST_F(HelpEffectTest, TheAreaHallAndRoomPagesHelpButtonCallsTheHelpEventWithThatPagesValues)
{
    std::vector<int> askedFrom;
    zrktest::FakeEvent* help = add(85);
    for (int kind : {0, 8, 9}) {
        gui::IGuiPage* page = manager->getPage(kind);
        ASSERT_NE(page, nullptr) << kind;
        CEGUI::Window* frame = page->getRootWindow();
        ASSERT_NE(frame, nullptr) << kind;
        ASSERT_TRUE(frame->isChild("Help")) << kind;
        CEGUI::Window* button = frame->getChild("Help");
        // In the title bar, above the page's own content.
        EXPECT_TRUE(button->isNonClient());
        help->onCallback = [&, page](gui::ParamHandle) { askedFrom.push_back(page->getKind()); };
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    EXPECT_EQ(askedFrom, (std::vector<int>{0, 8, 9}));
    EXPECT_EQ(tally.callbacks, 3);
}

TEST_F(HelpEffectTest, TheHallDropoutCurtainFallsThinsOutOverItsSecondsAndGoesAndStopEndsItAtOnce)
{
    gui::IGuiEffect* effect = manager->getEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(manager->getEffect(), effect);
    effect->stop();
    effect->load("halldropout");
    effect->rewind();
    effect->setSeconds(10.0f);
    effect->play();
    ASSERT_NE(curtain(), nullptr);
    EXPECT_TRUE(curtain()->isMousePassThroughEnabled());
    const float top0 = curtain()->getPosition().d_y.d_scale;
    EXPECT_LT(top0, -0.9f); // above the screen at first
    frame(1.0);
    ASSERT_NE(curtain(), nullptr);
    EXPECT_NEAR(curtain()->getPosition().d_y.d_scale, 0.0f, 1e-4f); // down over the screen
    const float early = curtain()->getAlpha();
    frame(6.0);
    ASSERT_NE(curtain(), nullptr);
    EXPECT_LT(curtain()->getAlpha(), early);
    EXPECT_GT(curtain()->getAlpha(), 0.0f);
    frame(3.5);
    EXPECT_EQ(curtain(), nullptr); // its ten seconds are over

    // Played again and stopped half-way; an effect of no known name shows nothing.
    effect->load("halldropout");
    effect->setSeconds(10.0f);
    effect->play();
    frame(2.0);
    ASSERT_NE(curtain(), nullptr);
    effect->stop();
    EXPECT_EQ(curtain(), nullptr);
    effect->load("nothing");
    effect->play();
    frame(0.5);
    EXPECT_EQ(curtain(), nullptr);
    // A length that is no number plays nothing either.
    effect->load("halldropout");
    effect->setSeconds(std::nanf(""));
    effect->play();
    EXPECT_EQ(curtain(), nullptr);
}
