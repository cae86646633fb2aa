// The tutorial's guide box in the real GUI plug-in over a headless CEGUI: the step's text on
// the "guide" pictures, pictures dropped before the set can go, key-downs to the lesson before
// any window, clicks through the box to the window below.
#include <CEGUI/CEGUI.h>
#include <boost/make_shared.hpp>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <core/ScopedEventConnection.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuideContent.h>
#include <gui/IGuideView.h>
#include <json/json.h>
#include <stdexcept>

#include "PluginFixture.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct Content : gui::IGuideContent {
    std::string getString(const std::string& key, int index) override
    {
        return key == "step"     ? "Step " + std::to_string(index)
               : key == "junior" ? "[hint] " + std::to_string(index)
                                 : "";
    }
    Json::Value& getValue(const std::string&, int) override { return mNull; }
    Json::Value mNull;
};

struct GuideViewTest : zrktest::PluginFixture {
    std::unique_ptr<core::GuiSystem> ceguiSystem = core::GuiSystem::createHeadless(1024, 768);
    core::GuiManager keys; // the window offers its key-downs here
    gui::IGuideView* guide = nullptr;

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
        manager->setGuideContent(boost::make_shared<Content>());
        guide = manager->getGuideView();
        ASSERT_NE(guide, nullptr);
    }
    CEGUI::Window* root() { return ceguiSystem->getRootWindow(); }
    CEGUI::Window* box() { return root()->isChild("TutorialGuide") ? root()->getChild("TutorialGuide") : nullptr; }
    std::string image(const char* part) { return box()->getChild(part)->getProperty("Image").c_str(); }
    void defineGuidePictures()
    {
        for (const char* name : {"guide/frame", "guide/trainer"})
            CEGUI::ImageManager::getSingleton().create("BasicImage", name);
    }
};

} // namespace

TEST_F(GuideViewTest, AStepShowsItsTextOnTheGuidePicturesAndHidingDropsThemBeforeTheSetGoes)
{
    defineGuidePictures();
    guide->showStep(4);
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(guide->getShownStep(), 4);
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()), "Step 4");
    EXPECT_EQ(image("frame"), "guide/frame");
    EXPECT_EQ(image("trainer"), "guide/trainer");

    guide->showHint("junior", 7); // outside text: the bracket is shown, not read as markup
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()), "Step 4\n\\[hint] 7");

    guide->showStep(0);
    EXPECT_EQ(box(), nullptr);
    EXPECT_EQ(guide->getShownText(), "");
    // The set goes at once, the box still in CEGUI's dead pool: the next frame draws nothing freed.
    CEGUI::ImageManager::getSingleton().destroyImageCollection("guide", false);
    CEGUI::System::getSingleton().renderAllGUIContexts();

    // Without the set a step still shows its text, on a bare box.
    guide->showStep(5);
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()), "Step 5");
    EXPECT_EQ(image("frame"), "");
    guide->showStep(-3); // anything below 1 hides it
    EXPECT_EQ(box(), nullptr);
}

TEST_F(GuideViewTest, KeyDownsReachTheLessonBeforeAnyWindowAndClicksGoThroughTheBox)
{
    std::vector<int> seen;
    guide->setKeyHandler([&](const CEGUI::KeyEventArgs& args) {
        seen.push_back(static_cast<int>(args.scancode));
        if (args.scancode == CEGUI::Key::Delete)
            throw std::runtime_error("broken lesson");
        return args.scancode == CEGUI::Key::Return;
    });
    EXPECT_TRUE(keys.offerKeyDown(CEGUI::Key::Return));  // taken: the windows never see it
    EXPECT_FALSE(keys.offerKeyDown(CEGUI::Key::Escape)); // seen, and left to the windows
    EXPECT_FALSE(keys.offerKeyDown(CEGUI::Key::Delete)); // a failing handler takes nothing
    EXPECT_EQ(seen, (std::vector<int>{CEGUI::Key::Return, CEGUI::Key::Escape, CEGUI::Key::Delete}));
    EXPECT_TRUE(zrktest::logged("ZRK_Gui", "guide key handler failed"));
    guide->releaseKeyHandler();
    EXPECT_FALSE(keys.offerKeyDown(CEGUI::Key::Return));
    EXPECT_EQ(seen.size(), 3u);

    // A click on the box lands on the window below it.
    int clicks = 0;
    kavri3D::core::ScopedEventConnection c =
        root()->subscribeEvent(CEGUI::Window::EventMouseButtonDown, [&](const CEGUI::EventArgs&) {
            ++clicks;
            return true;
        });
    guide->showStep(2);
    ASSERT_NE(box(), nullptr);
    const CEGUI::Rectf area = box()->getChild("text")->getUnclippedOuterRect().get();
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    ctx.injectMousePosition(area.getPosition().d_x + area.getWidth() / 2,
                            area.getPosition().d_y + area.getHeight() / 2);
    ctx.injectMouseButtonDown(CEGUI::LeftButton);
    ctx.injectMouseButtonUp(CEGUI::LeftButton);
    EXPECT_EQ(clicks, 1);
    guide->showStep(0);
}

TEST_F(GuideViewTest, AStepsLineStandsUnderItsTextAboveTheHintAndGoesWithTheStep)
{
    guide->showStep(3);
    guide->setLine("At this pitch hold Space about 1.2 s, then let go: that force reaches.");
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()),
              "Step 3\nAt this pitch hold Space about 1.2 s, then let go: that force reaches.");
    guide->showHint("junior", 7);
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()),
              "Step 3\nAt this pitch hold Space about 1.2 s, then let go: that force reaches.\n\\[hint] 7");
    guide->showStep(4); // a new step starts without the last one's line
    EXPECT_EQ(guide->getLine(), "");
    EXPECT_EQ(std::string(box()->getChild("text")->getText().c_str()), "Step 4");
}
