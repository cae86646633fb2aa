// The window's keys at the bridge, over a headless CEGUI: letters have key-downs a panel can
// hear, a field keeps what is typed into it away from the game and the panels behind it, a
// release always reaches the game, and any letter arrives as its code point.
#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>
#include <core/GuiManager.h>
#include <core/GuiSystem.h>
#include <core/KeyBridge.h>
#include <core/KeyInput.h>
#include <vector>

#include <X11/keysym.h> // last: X11's macros

using namespace kavri3D::core;

namespace {

struct KeyBridgeTest : ::testing::Test {
    std::unique_ptr<GuiSystem> gui = GuiSystem::createHeadless(800, 600);
    KeyInput game;
    GuiManager keysFirst;
    CEGUI::GUIContext* ctx = &CEGUI::System::getSingleton().getDefaultGUIContext();
    CEGUI::Window* panel = nullptr;
    CEGUI::Window* field = nullptr;
    std::vector<unsigned> panelHeard; // key-downs that reached the panel behind the field
    std::vector<int> offered;         // key-downs offered before any window

    void SetUp() override
    {
        CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
        panel = wm.createWindow("TaharezLook/FrameWindow", "revive");
        panel->setArea(CEGUI::URect(CEGUI::UDim(0, 10), CEGUI::UDim(0, 10), CEGUI::UDim(0, 400), CEGUI::UDim(0, 300)));
        gui->getRootWindow()->addChild(panel);
        field = wm.createWindow("TaharezLook/Editbox", "chat");
        field->setArea(CEGUI::URect(CEGUI::UDim(0, 10), CEGUI::UDim(0, 40), CEGUI::UDim(0, 300), CEGUI::UDim(0, 70)));
        panel->addChild(field);
        panel->subscribeEvent(CEGUI::Window::EventKeyDown, [this](const CEGUI::EventArgs& a) {
            panelHeard.push_back(static_cast<const CEGUI::KeyEventArgs&>(a).scancode);
            return true;
        });
        keysFirst.subscribeToKeyDown([this](int scan) {
            offered.push_back(scan);
            return false;
        });
        panel->activate();
    }
    void press(unsigned long sym, const std::string& typed) { KeyBridge::keyDown(ctx, KeyBridge::scanOf(sym), typed); }
    void release(unsigned long sym) { KeyBridge::keyUp(ctx, KeyBridge::scanOf(sym)); }
    std::string fieldText() const { return field->getText().c_str(); }
    bool heardY() const
    {
        for (unsigned s : panelHeard)
            if (s == CEGUI::Key::Y)
                return true;
        return false;
    }
};

} // namespace

TEST(KeyBridgeScan, EveryLetterDigitAndEditingKeyHasItsScanAndShiftDoesNotChangeIt)
{
    EXPECT_EQ(KeyBridge::scanOf(XK_y), CEGUI::Key::Y);
    EXPECT_EQ(KeyBridge::scanOf(XK_Y), CEGUI::Key::Y);
    EXPECT_EQ(KeyBridge::scanOf(XK_q), CEGUI::Key::Q);
    EXPECT_EQ(KeyBridge::scanOf(XK_m), CEGUI::Key::M);
    EXPECT_EQ(KeyBridge::scanOf(XK_l), CEGUI::Key::L);
    EXPECT_EQ(KeyBridge::scanOf(XK_0), CEGUI::Key::Zero);
    EXPECT_EQ(KeyBridge::scanOf(XK_9), KeyInput::KC_9);
    EXPECT_EQ(KeyBridge::scanOf(XK_slash), CEGUI::Key::Slash);
    EXPECT_EQ(KeyBridge::scanOf(XK_F4), KeyInput::KC_F4);
    EXPECT_EQ(KeyBridge::scanOf(XK_F12), CEGUI::Key::F12);
    EXPECT_EQ(KeyBridge::scanOf(XK_KP_7), CEGUI::Key::Numpad7);
    EXPECT_EQ(KeyBridge::scanOf(XK_Return), CEGUI::Key::Return);
    EXPECT_EQ(KeyBridge::scanOf(XK_space), KeyInput::KC_SPACE);
    EXPECT_EQ(KeyBridge::scanOf(XK_udiaeresis), 0); // a letter no key of CEGUI's names
}

TEST_F(KeyBridgeTest, WithoutAFieldLettersReachPanelsAndGameKeysTheGame)
{
    press(XK_y, "y");
    EXPECT_TRUE(heardY());
    EXPECT_EQ(offered.size(), 1u);
    press(XK_w, "w");
    EXPECT_TRUE(game.isKeyDown(KeyInput::KC_W));
    release(XK_w);
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_W));
    EXPECT_FALSE(game.isKeyDown(CEGUI::Key::Y)); // not a key of the game
}

TEST_F(KeyBridgeTest, WhatIsTypedIntoAFieldStaysThereAndAnyLetterArrivesWhole)
{
    field->activate();
    ASSERT_EQ(KeyBridge::typingField(*ctx), field);
    press(XK_w, "w");
    press(XK_y, "y");
    press(XK_space, " ");
    press(XK_Y, "Y");
    EXPECT_FALSE(heardY());
    EXPECT_TRUE(offered.empty());
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_W));
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_SPACE));
    EXPECT_TRUE(game.takeEvents().empty());
    // Any letter, whatever key typed it: the input context's UTF-8 becomes code points.
    press(0, "\xC3\xBC");         // ü
    press(0, "\xE2\x82\xAC");     // €
    press(0, "\xCE\xA9\xD0\x9F"); // Ω and П from one key (a compose sequence)
    press(XK_BackSpace, "\b");    // editing keys edit
    EXPECT_EQ(fieldText(), std::string("wy Y\xC3\xBC\xE2\x82\xAC\xCE\xA9"));
    // Editing keys are the field's too: the panel behind does not hear them.
    EXPECT_TRUE(panelHeard.empty());
}

TEST_F(KeyBridgeTest, AKeyHeldWhenAFieldTakesTheFocusStopsWhenLetGo)
{
    press(XK_w, "w");
    ASSERT_TRUE(game.isKeyDown(KeyInput::KC_W));
    field->activate();
    press(XK_w, "w"); // the held key repeats into the field
    release(XK_w);
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_W));
    EXPECT_EQ(fieldText(), "w");
}

TEST_F(KeyBridgeTest, AReadOnlyOrHiddenFieldDoesNotHoldTheKeys)
{
    field->activate();
    static_cast<CEGUI::Editbox*>(field)->setReadOnly(true);
    press(XK_y, "y");
    EXPECT_TRUE(heardY());
    static_cast<CEGUI::Editbox*>(field)->setReadOnly(false);
    panelHeard.clear();
    field->hide();
    press(XK_y, "y");
    EXPECT_TRUE(heardY());
    EXPECT_EQ(fieldText(), "");
}

TEST_F(KeyBridgeTest, ABoxHoldsTheKeysFromTheGameAndTheGuideButReleasesStillCount)
{
    press(XK_a, "a");
    panel->setModalState(true);
    press(XK_d, "d");
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_D));
    EXPECT_EQ(offered.size(), 1u); // only the key before the box
    release(XK_a);
    EXPECT_FALSE(game.isKeyDown(KeyInput::KC_A));
    panel->setModalState(false);
}
