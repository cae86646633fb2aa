// The framework's frame: message boxes as real CEGUI windows, and the panel container.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <core/CEGUIPanel.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <core/SceneInstance.h>
#include <core/ScopedEventConnection.h>

#include <json/json.h>
#include <lan/ZRKLan.h>
#include <util/JsonText.h>

#include "shell/Application.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using core::DialogBoxResult;
using core::Frame;

namespace {

bool alive(const CEGUI::Window* w) { return w && CEGUI::WindowManager::getSingleton().isAlive(w); }

std::string text(const CEGUI::Window* w) { return w->getText().c_str(); }

/// Clicks a window's centre the way the player would.
void click(CEGUI::Window* w)
{
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    ctx.injectMousePosition(r.left() + r.getWidth() / 2, r.top() + r.getHeight() / 2);
    ctx.injectMouseButtonDown(CEGUI::LeftButton);
    ctx.injectMouseButtonUp(CEGUI::LeftButton);
}

struct FrameFixture : ::testing::Test {
    std::unique_ptr<core::GuiSystem> gui = core::GuiSystem::createHeadless(800, 600);
    zrk::Application app{nullptr, "game.exe"};
    Frame frame{app};
    std::vector<int> answers;

    FrameFixture() { EXPECT_TRUE(frame.create()); }
    ~FrameFixture() override { frame.destroy(); }

    Frame::ResultSlot recordAnswer()
    {
        return [this](DialogBoxResult& r) { answers.push_back(r.button); };
    }
    CEGUI::Window* button(int index)
    {
        return frame.getMessageBoxWindow()->getChild("Button" + CEGUI::PropertyHelper<int>::toString(index));
    }
    /// The next frame begins: windows closed during the last one are destroyed now.
    void nextFrame() { gui->injectTimePulse(1.f / 24); }
};

/// A panel that owns one window under the frame's top window.
class OwnWindowPanel : public core::CEGUIPanel {
public:
    OwnWindowPanel(core::CEGUIPanelContainer* c, int* destroyed) : core::CEGUIPanel(c), mDestroyed(destroyed) {}
    bool createWindow() override
    {
        mWindow = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow");
        getContainer()->getTopWindow()->addChild(mWindow);
        return true;
    }
    void destroyWindow() override
    {
        ++*mDestroyed;
        core::CEGUIPanelContainer::destroyLiveWindow(mWindow);
        mWindow = nullptr;
    }
    CEGUI::Window* getWindow() override { return mWindow; }

private:
    CEGUI::Window* mWindow = nullptr;
    int* mDestroyed;
};

} // namespace

TEST_F(FrameFixture, TopWindowFillsTheRootSheetAndGoesWithDestroy)
{
    CEGUI::Window* top = frame.getTopWindow();
    ASSERT_TRUE(alive(top));
    EXPECT_EQ(top->getParent(), gui->getRootWindow());
    EXPECT_EQ(top->getPixelSize(), CEGUI::Sizef(800, 600));
    frame.destroy();
    EXPECT_FALSE(alive(top));
    EXPECT_EQ(frame.getTopWindow(), nullptr);
    frame.destroy(); // the shut-down may ask twice
}

TEST_F(FrameFixture, ChoiceBoxAnswersWithThePressedButtonOnceAndCloses)
{
    boost::signals2::connection c = frame.messageBox2("warning/title", "warning/quit", recordAnswer(),
                                                      Frame::BoxOk | Frame::BoxCancel, 9, 300, 150);
    CEGUI::Window* box = frame.getMessageBoxWindow();
    ASSERT_TRUE(alive(box));
    EXPECT_EQ(box->getType(), "TaharezLook/FrameWindow");
    EXPECT_EQ(box->getPixelSize(), CEGUI::Sizef(300, 150));
    EXPECT_EQ(text(button(0)), "OK");
    EXPECT_EQ(text(button(1)), "Cancel");
    EXPECT_TRUE(c.connected());

    click(button(1)); // the player declines
    EXPECT_EQ(answers, std::vector<int>({1}));
    EXPECT_FALSE(c.connected());
    // Closed at once, destroyed only once CEGUI is out of the click: at the next frame.
    EXPECT_EQ(frame.getMessageBoxWindow(), nullptr);
    ASSERT_TRUE(alive(box));
    EXPECT_FALSE(box->isVisible());
    click(box->getChild("Button1")); // a hidden box takes no second click
    EXPECT_EQ(answers.size(), 1u);
    nextFrame();
    EXPECT_FALSE(alive(box));
    // Freed, not parked in CEGUI's dead pool: with nothing drawn (headless) that pool is never
    // emptied, and every battle's windows stayed for the whole run.
    EXPECT_TRUE(CEGUI::WindowManager::getSingleton().isDeadPoolEmpty());
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    EXPECT_FALSE(frame.pressMessageBoxButton(0)); // nothing left to answer
    EXPECT_EQ(answers.size(), 1u);

    frame.messageBox2("warning/title", "warning/quit", recordAnswer(), 3, 9, 300, 150);
    click(button(0));
    EXPECT_EQ(answers, std::vector<int>({1, 0}));
    frame.pressMessageBoxButton(0); // nothing open: no second answer
    EXPECT_EQ(answers.size(), 2u);
    const auto& boxes = frame.getMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].pressed, 1);
    EXPECT_EQ(boxes[1].pressed, 0);
    EXPECT_FALSE(boxes[1].open);
}

TEST_F(FrameFixture, CancelOrANewBoxClosesTheOpenOneAnsweringItOnceWithMinusOne)
{
    auto c = frame.messageBox2("t", "first", recordAnswer(), 3, 9, 300, 150);
    CEGUI::Window* first = frame.getMessageBoxWindow();
    frame.messageBox("t", "second", 1, 9, 300, 150);
    EXPECT_EQ(answers, std::vector<int>({-1})); // replaced: nobody answered it
    EXPECT_FALSE(first->isVisible());
    nextFrame();
    EXPECT_FALSE(alive(first));
    EXPECT_FALSE(c.connected());
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_EQ(frame.getOpenMessageBox()->textKey, "second");
    EXPECT_FALSE(frame.pressMessageBoxButton(1)); // a plain box has OK only

    CEGUI::Window* second = frame.getMessageBoxWindow();
    frame.cancelMessageBox();
    nextFrame();
    EXPECT_FALSE(alive(second));
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    frame.cancelMessageBox();
    EXPECT_EQ(answers, std::vector<int>({-1}));
    EXPECT_EQ(frame.getMessageBoxes()[0].pressed, -1);

    frame.messageBox2("t", "third", recordAnswer(), 3, 9, 300, 150);
    frame.cancelMessageBox();
    frame.cancelMessageBox();
    EXPECT_FALSE(frame.pressMessageBoxButton(0));
    EXPECT_EQ(answers, std::vector<int>({-1, -1})); // once, whatever follows

    // A box whose answer opens another: the new one replaces that one too, answered in turn.
    frame.messageBox2(
        "t", "fourth",
        [this](DialogBoxResult& r) {
            answers.push_back(r.button);
            frame.messageBox2("t", "from the answer", recordAnswer(), 3, 9, 300, 150);
        },
        3, 9, 300, 150);
    frame.messageBox("t", "fifth", 1, 9, 300, 150);
    EXPECT_EQ(answers, std::vector<int>({-1, -1, -1, -1}));
    EXPECT_EQ(frame.getOpenMessageBox()->textKey, "fifth");

    // A frame that goes answers nothing.
    frame.messageBox2("t", "last", recordAnswer(), 3, 9, 300, 150);
    frame.destroy();
    EXPECT_EQ(answers.size(), 4u);
}

TEST_F(FrameFixture, AnswerMayOpenTheNextBoxAndAThrowingAnswerStaysInside)
{
    frame.messageBox2(
        "t", "first", [this](DialogBoxResult&) { frame.messageBox("t", "next", 1, 9, 300, 150); }, 3, 9, 300, 150);
    CEGUI::Window* first = frame.getMessageBoxWindow();
    click(button(0));
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_EQ(frame.getOpenMessageBox()->textKey, "next");
    nextFrame();
    EXPECT_TRUE(alive(frame.getMessageBoxWindow()));
    EXPECT_FALSE(alive(first));

    frame.messageBox2(
        "t", "x", [](DialogBoxResult&) { throw std::runtime_error("boom"); }, 3, 9, 300, 150);
    EXPECT_NO_THROW(click(button(0)));
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    nextFrame();
}

TEST_F(FrameFixture, AnAnswerThatDestroysTheFrameLeavesTheClickedBoxToTheNextFrame)
{
    CEGUI::Window* box = nullptr;
    frame.messageBox2(
        "t", "quit?", [this](DialogBoxResult&) { frame.destroy(); }, 3, 9, 300, 150);
    box = frame.getMessageBoxWindow();
    click(button(0));
    EXPECT_EQ(frame.getTopWindow(), nullptr);
    nextFrame();
    CEGUI::WindowManager::getSingleton().cleanDeadPool();
    EXPECT_FALSE(alive(box));
}

TEST_F(FrameFixture, LiteralTextsAreShownAsWrittenEvenWhenTheyReadLikeKeys)
{
    frame.setTextLookup([](const std::string& key) { return "looked up " + key; });
    frame.messageBoxText("warning/title", "100% done", 1, 9, 300, 150);
    const Frame::BoxRecord* box = frame.getOpenMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, "warning/title");
    EXPECT_EQ(box->text, "100% done");
    EXPECT_EQ(box->titleKey, "");
    EXPECT_EQ(text(frame.getMessageBoxWindow()), "warning/title");
    frame.messageBox("warning/title", "x", 1, 9, 300, 150);
    EXPECT_EQ(frame.getOpenMessageBox()->title, "looked up warning/title");
}

TEST_F(FrameFixture, TitlesAndTextsComeFromTheLookupAndAKeyWithoutTextShowsTheKey)
{
    frame.messageBox("warning/title", "error/none", 1, 9, 300, 150);
    EXPECT_EQ(text(frame.getMessageBoxWindow()), "warning/title"); // no lookup yet

    frame.setTextLookup([](const std::string& key) { return key == "warning/title" ? "Warning" : ""; });
    frame.messageBox("warning/title", "error/none", 1, 9, 300, 150);
    CEGUI::Window* box = frame.getMessageBoxWindow();
    EXPECT_EQ(text(box), "Warning");
    EXPECT_EQ(text(box->getChild("Text")), "error/none");
    EXPECT_EQ(frame.getOpenMessageBox()->text, "error/none");

    frame.setTextLookup([](const std::string&) -> std::string { throw std::runtime_error("no texts"); });
    frame.messageBox("warning/title", "msg/x", 1, 9, 300, 150);
    EXPECT_EQ(frame.getOpenMessageBox()->title, "warning/title");
}

TEST_F(FrameFixture, EveryTextOfTheGameFitsItsBox)
{
    // Each of the game's texts as a box's title and as its text, in the sizes the game asks
    // for; the box grows, up to the screen, until both show whole.
    zrk::ZRKLan lan("res/lan");
    frame.setTextLookup([](const std::string& key) { return zrk::ZRKLan::getMsg(key); });
    Json::Value texts;
    std::string error;
    ASSERT_TRUE(core::JsonText::parse(zrktest::readFile("res/lan/texts.json"), texts, error)) << error;
    const std::vector<std::string> keys = texts.getMemberNames();
    ASSERT_GT(keys.size(), 20u);
    const CEGUI::Sizef screen = frame.getTopWindow()->getPixelSize();
    for (const std::string& key : keys) {
        frame.messageBox(key, key, 3, 9, 300, 150);
        CEGUI::Window* box = frame.getMessageBoxWindow();
        ASSERT_NE(box, nullptr) << key;
        const CEGUI::Font* font = box->getFont();
        ASSERT_NE(font, nullptr);
        const CEGUI::Sizef size = box->getPixelSize();
        EXPECT_LE(size.d_width, screen.d_width) << key;
        EXPECT_LE(size.d_height, screen.d_height) << key;
        EXPECT_LE(font->getTextExtent(box->getText()) + 2 * font->getLineSpacing(), size.d_width) << "title of " << key;
        CEGUI::Window* textWindow = box->getChild("Text");
        const float needed = CEGUI::PropertyHelper<float>::fromString(textWindow->getProperty("VertExtent"));
        EXPECT_LE(needed, textWindow->getPixelSize().d_height + 0.5f) << "text of " << key;
    }
    // A text far longer than the screen stops growing at it.
    frame.messageBoxText(std::string(400, 'W'), std::string(20000, 'w') + " end", 1, 9, 300, 150);
    EXPECT_LE(frame.getMessageBoxWindow()->getPixelSize().d_width, screen.d_width);
    EXPECT_LE(frame.getMessageBoxWindow()->getPixelSize().d_height, screen.d_height);
}

TEST_F(FrameFixture, AnOpenBoxHoldsTheScreenUntilItCloses)
{
    int clicks = 0;
    CEGUI::Window* behind = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/Button", "Behind");
    behind->setArea(CEGUI::URect(CEGUI::UDim(0, 10), CEGUI::UDim(0, 10), CEGUI::UDim(0, 110), CEGUI::UDim(0, 40)));
    frame.getTopWindow()->addChild(behind);
    behind->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber([&](const CEGUI::EventArgs&) {
                               ++clicks;
                               return true;
                           }));
    frame.messageBox2("warning/title", "[colour='FFFF0000']red", recordAnswer(), 3, 9, 300, 150);
    EXPECT_EQ(text(frame.getMessageBoxWindow()->getChild("Text")), "\\[colour='FFFF0000']red"); // shown as written
    click(behind);
    click(behind);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(answers.empty());
    click(button(1));
    nextFrame();
    EXPECT_EQ(answers, std::vector<int>{1});
    click(behind);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FrameFixture, EnterAnswersTheDefaultButtonAndEscapeTheCancelOne)
{
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    frame.messageBox2("warning/title_quit", "warning/quit", recordAnswer(), 3, 9, 300, 150);
    ctx.injectKeyDown(CEGUI::Key::Return);
    nextFrame();
    frame.messageBox2("warning/title_quit", "warning/quit", recordAnswer(), 3, 9, 300, 150);
    ctx.injectKeyDown(CEGUI::Key::Escape);
    nextFrame();
    frame.messageBox2("warning/title", "warning/quit", recordAnswer(), 1, 9, 300, 150);
    ctx.injectKeyDown(CEGUI::Key::NumpadEnter);
    nextFrame();
    // A box with only OK: Escape closes it unanswered.
    frame.messageBox2("warning/title", "warning/quit", recordAnswer(), 1, 9, 300, 150);
    ctx.injectKeyDown(CEGUI::Key::Escape);
    nextFrame();
    EXPECT_EQ(answers, (std::vector<int>{0, 1, 0, -1}));
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr);
    // Other keys leave the box open.
    frame.messageBox2("warning/title", "warning/quit", recordAnswer(), 3, 9, 300, 150);
    ctx.injectKeyDown(CEGUI::Key::Y);
    ctx.injectKeyDown(CEGUI::Key::Space);
    nextFrame();
    EXPECT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_EQ(answers.size(), 4u);
}

TEST_F(FrameFixture, DestroyClosesTheBoxAndLetsEveryPanelGoOnce)
{
    int destroyed = 0;
    boost::shared_ptr<core::CEGUIPanel> panel(new OwnWindowPanel(&frame, &destroyed));
    ASSERT_TRUE(panel->createWindow());
    frame.addPanel("a", panel);
    panel->show(false);
    EXPECT_FALSE(panel->isVisible());
    panel->show(true);
    EXPECT_TRUE(panel->isVisible());

    // A second panel under the same name replaces the first, whose windows go.
    boost::shared_ptr<core::CEGUIPanel> other(new OwnWindowPanel(&frame, &destroyed));
    other->createWindow();
    frame.addPanel("a", other);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(frame.getPanel("a"), other);

    auto c = frame.messageBox2("t", "x", recordAnswer(), 3, 9, 300, 150);
    frame.destroy();
    EXPECT_EQ(destroyed, 2);
    EXPECT_FALSE(c.connected());
    EXPECT_TRUE(frame.getPanelNames().empty());
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(other->isVisible()); // its window is gone, asking is still safe
}

TEST(FrameWithoutGui, BoxesAreRecordedAndAnsweredWithoutWindows)
{
    zrk::Application app{nullptr, "game.exe"};
    Frame frame(app);
    ASSERT_TRUE(frame.create());
    EXPECT_EQ(frame.getTopWindow(), nullptr);
    int answer = -1;
    frame.messageBox2(
        "t", "x", [&](DialogBoxResult& r) { answer = r.button; }, 3, 9, 200, 100);
    EXPECT_EQ(frame.getMessageBoxWindow(), nullptr);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr);
    EXPECT_EQ(frame.getOpenMessageBox()->width, 200);
    EXPECT_TRUE(frame.pressMessageBoxButton(1));
    EXPECT_EQ(answer, 1);
    core::SceneInstance scene("logon");
    EXPECT_TRUE(frame.enterScene(&scene));
    EXPECT_EQ(frame.getCurrentScene(), &scene);
    frame.leaveScene();
    EXPECT_EQ(frame.getCurrentScene(), nullptr);
    frame.destroy();
}

TEST(FrameClicks, AClickNoWindowTookReachesTheTopWindowAndNothingOnceTheFrameIsGone)
{
    core::GuiManager clicks; // where the window passes the clicks no window took
    std::unique_ptr<core::GuiSystem> gui = core::GuiSystem::createHeadless(800, 600);
    zrk::Application app{nullptr, "game.exe"};
    Frame frame{app};
    ASSERT_TRUE(frame.create());
    std::vector<int> seen;
    kavri3D::core::ScopedEventConnection c =
        frame.getTopWindow()->subscribeEvent(CEGUI::Window::EventMouseButtonDown, [&](const CEGUI::EventArgs& args) {
            seen.push_back(static_cast<const CEGUI::MouseEventArgs&>(args).button);
            return true;
        });
    clicks.passUnhandledClick(CEGUI::LeftButton);
    clicks.passUnhandledClick(CEGUI::RightButton);
    EXPECT_EQ(seen, (std::vector<int>{CEGUI::LeftButton, CEGUI::RightButton}));
    c.reset();
    frame.destroy();
    clicks.passUnhandledClick(CEGUI::LeftButton); // no top window any more: nothing to reach
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(FrameFixture, BoxKindsGiveTheGameBoxesTheirButtonsLookAndLeastSize)
{
    frame.messageBox("warning/title", "warning/quit", Frame::kNoticeBox);
    EXPECT_EQ(frame.getMessageBoxWindow()->getPixelSize(), CEGUI::Sizef(300, 150));
    frame.messageBoxText("Title", "shown as written", Frame::kNoticeBox.sized(400, 200));
    EXPECT_EQ(frame.getMessageBoxWindow()->getPixelSize(), CEGUI::Sizef(400, 200));
    frame.messageBox2("warning/title", "warning/quit", recordAnswer(), Frame::kQuestionBox);
    EXPECT_EQ(text(button(0)), "OK");
    EXPECT_EQ(text(button(1)), "Cancel");
    click(button(0));
    EXPECT_EQ(answers, std::vector<int>({0}));

    // Each kind is what the game's boxes were asked with by number.
    const auto& boxes = frame.getMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    const int expected[3][4] = {{1, 9, 300, 150}, {1, 9, 400, 200}, {3, 9, 300, 150}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i].style, expected[i][0]) << i;
        EXPECT_EQ(boxes[i].type, expected[i][1]) << i;
        EXPECT_EQ(boxes[i].width, expected[i][2]) << i;
        EXPECT_EQ(boxes[i].height, expected[i][3]) << i;
    }
    EXPECT_EQ(boxes[1].text, "shown as written");
    EXPECT_TRUE(boxes[1].textKey.empty());
    EXPECT_TRUE(boxes[2].choice);
}
