#pragma once
// The player's input sent to a game window the way the X server delivers it. Include it last:
// X11's macros would break the C++ headers after it.
#include <Ogre.h>
#include <string>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zrktest {

struct XWindowInput {
    Display* display = nullptr;
    Window window = 0;

    explicit XWindowInput(Ogre::RenderWindow* w)
    {
        if (!w)
            return;
        w->getCustomAttribute("XDISPLAY", &display);
        w->getCustomAttribute("WINDOW", &window);
    }
    bool valid() const { return display && window; }

    void send(XEvent& ev, long mask)
    {
        ev.xany.display = display;
        ev.xany.window = window;
        XSendEvent(display, window, False, mask, &ev);
        XSync(display, False); // back in the window's queue before the next frame
    }
    /// Moves the pointer to (x, y) of the window and clicks the left button there.
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
    /// Types lower-case letters and digits.
    void type(const std::string& text)
    {
        for (char c : text)
            key(static_cast<KeySym>(c)); // their key symbols are their ASCII codes
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

} // namespace zrktest
