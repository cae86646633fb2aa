#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>
#include <core/GraphicsSystem.h>
#include <core/GuiSystem.h>

// X11 last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using kavri3D::core::GraphicsSystem;

namespace {

// Sends events to the game window the way the X server delivers the player's input.
struct WindowInput {
    Display* display = nullptr;
    Window window = 0;

    explicit WindowInput(GraphicsSystem& g)
    {
        g.getRenderWindow()->getCustomAttribute("XDISPLAY", &display);
        g.getRenderWindow()->getCustomAttribute("WINDOW", &window);
    }
    void send(XEvent& ev, long mask)
    {
        ev.xany.display = display;
        ev.xany.window = window;
        XSendEvent(display, window, False, mask, &ev);
        XSync(display, False); // the event is back in the window's queue before the next frame
    }
    void click(int x, int y)
    {
        for (int type : {MotionNotify, ButtonPress, ButtonRelease}) {
            XEvent ev{};
            ev.type = type;
            if (type == MotionNotify) {
                ev.xmotion.x = x;
                ev.xmotion.y = y;
            } else {
                ev.xbutton.x = x;
                ev.xbutton.y = y;
                ev.xbutton.button = Button1;
            }
            send(ev, type == MotionNotify ? PointerMotionMask : (type == ButtonPress ? ButtonPressMask : ButtonReleaseMask));
        }
    }
    void key(KeySym sym)
    {
        for (int type : {KeyPress, KeyRelease}) {
            XEvent ev{};
            ev.type = type;
            ev.xkey.keycode = XKeysymToKeycode(display, sym);
            send(ev, type == KeyPress ? KeyPressMask : KeyReleaseMask);
        }
    }
    void close()
    {
        XEvent ev{};
        ev.type = ClientMessage;
        ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        send(ev, NoEventMask);
    }
};

} // namespace

// The player's clicks and keys reach the GUI, and the window's close button reaches the game.
TEST(GameWindowInput, ClicksAndKeysReachTheGuiAndCloseIsReported)
{
    ASSERT_TRUE(GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    GraphicsSystem::WindowSpec spec;
    spec.width = 640;
    spec.height = 480;
    auto g = GraphicsSystem::create(false, spec);
    ASSERT_NE(g, nullptr);
    CEGUI::Window* edit = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/Editbox", "name");
    edit->setArea(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 100)),
                  CEGUI::USize(CEGUI::UDim(0, 200), CEGUI::UDim(0, 30)));
    g->getGui()->getRootWindow()->addChild(edit);
    g->renderOneFrame(0.04f);

    WindowInput input(*g);
    input.click(150, 115);
    for (KeySym k : {XK_h, XK_e, XK_r, XK_o, XK_x})
        input.key(k);
    input.key(XK_BackSpace);
    for (int i = 0; i < 3; ++i)
        g->renderOneFrame(0.04f);
    EXPECT_TRUE(edit->isActive());
    EXPECT_EQ(std::string(edit->getText().c_str()), "hero");

    EXPECT_FALSE(g->takeCloseRequest());
    input.close();
    g->renderOneFrame(0.04f);
    EXPECT_TRUE(g->takeCloseRequest());
    EXPECT_FALSE(g->takeCloseRequest()); // taken once
}
