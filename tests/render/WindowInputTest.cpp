#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>
#include <core/GraphicsSystem.h>
#include <core/GuiSystem.h>

#include "support/TestEnv.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"
#include "support/XWindowInput.h" // last: X11's macros

using kavri3D::core::GraphicsSystem;

// The player's clicks and keys reach the GUI, and the window's close button reaches the game.
TEST(GameWindowInput, ClicksAndKeysReachTheGuiAndCloseIsReported)
{
    // An X server of its own: the letters beyond the keyboard's are typed through keys it maps
    // for them, and the keyboard's map is the whole server's, which other tests type on at once.
    zrktest::XvfbServer server{1280, 1024};
    ASSERT_FALSE(server.display().empty());
    zrktest::ScopedEnv display{"DISPLAY", server.display()};
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto g = zrktest::openTestWindow("", 640, 480, "", false);
    ASSERT_NE(g, nullptr);
    CEGUI::Window* edit = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/Editbox", "name");
    edit->setArea(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 100)),
                  CEGUI::USize(CEGUI::UDim(0, 200), CEGUI::UDim(0, 30)));
    g->getGui()->getRootWindow()->addChild(edit);
    g->renderOneFrame(0.04f);

    zrktest::XWindowInput input(g->getRenderWindow());
    input.click(150, 115);
    for (KeySym k : {XK_h, XK_e, XK_r, XK_o, XK_x})
        input.key(k);
    input.key(XK_BackSpace);
    zrktest::FramePump pump = zrktest::drawingPump(*g, 0.04f);
    // The X server hands the keys on in its own time: on a busy machine a few frames may pass.
    const auto shows = [edit](const std::string& text) {
        return [edit, text] { return std::string(edit->getText().c_str()) == text; };
    };
    EXPECT_TRUE(pump.untilSeconds(shows("hero"), 10.0, "the typed name"));
    EXPECT_TRUE(edit->isActive());
    EXPECT_EQ(std::string(edit->getText().c_str()), "hero");

    // Any letter, whatever the locale: capitals with Shift, through the window's input context.
    edit->setText("");
    input.typeText(U"Grüße ÄÖÜ ß € Ωμέγα Привет");
    EXPECT_TRUE(pump.untilSeconds(shows("Grüße ÄÖÜ ß € Ωμέγα Привет"), 10.0, "the typed letters"));
    EXPECT_EQ(std::string(edit->getText().c_str()), "Grüße ÄÖÜ ß € Ωμέγα Привет");
    input.untype();

    EXPECT_FALSE(g->takeCloseRequest());
    input.close();
    g->renderOneFrame(0.04f);
    EXPECT_TRUE(g->takeCloseRequest());
    EXPECT_FALSE(g->takeCloseRequest()); // taken once
}
