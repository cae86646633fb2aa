#pragma once
// The player's input sent to a game window the way the X server delivers it. Include it last:
// X11's macros would break the C++ headers after it.
#include <Ogre.h>
#include <map>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zrktest {

struct XWindowInput {
    Display* display = nullptr;
    Window window = 0;

    explicit XWindowInput(Ogre::RenderWindow* w) { attach(w); }
    /// Sends to another window from now on (none: null); the spare keys lent go back first.
    void attach(Ogre::RenderWindow* w)
    {
        if (display)
            untype();
        display = nullptr;
        window = 0;
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
            send(ev, type == MotionNotify ? PointerMotionMask
                                          : (type == ButtonPress ? ButtonPressMask : ButtonReleaseMask));
        }
    }
    /// Moves the X server's own pointer to (x, y) of the window, as a hand on the mouse would:
    /// the window gets the motion from the server, and a game that holds the pointer pulls it
    /// back to its middle on its next frame.
    void warpPointer(int x, int y)
    {
        XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
        XSync(display, False);
    }
    /// Where the X server's pointer stands in the window; false when it is on another screen.
    bool pointer(int& x, int& y) const
    {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0;
        unsigned int buttons = 0;
        return XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &buttons) == True;
    }
    /// Presses and lets go the left button where the X server's pointer stands; false (nothing
    /// pressed) when it is not over the window.
    bool clickAtPointer()
    {
        int x = 0, y = 0;
        if (!pointer(x, y))
            return false;
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent ev{};
            ev.type = type;
            ev.xbutton.x = x;
            ev.xbutton.y = y;
            ev.xbutton.button = Button1;
            ev.xbutton.same_screen = True;
            send(ev, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask);
        }
        return true;
    }

    /// Presses the left button at (x0, y0), moves to (x1, y1) in `steps` moves and lets go there.
    void drag(int x0, int y0, int x1, int y1, int steps = 4)
    {
        XEvent ev{};
        ev.type = MotionNotify;
        ev.xmotion.x = x0;
        ev.xmotion.y = y0;
        send(ev, PointerMotionMask);
        ev = XEvent{};
        ev.type = ButtonPress;
        ev.xbutton.x = x0;
        ev.xbutton.y = y0;
        ev.xbutton.button = Button1;
        send(ev, ButtonPressMask);
        for (int i = 1; i <= steps; ++i) {
            ev = XEvent{};
            ev.type = MotionNotify;
            ev.xmotion.x = x0 + (x1 - x0) * i / steps;
            ev.xmotion.y = y0 + (y1 - y0) * i / steps;
            ev.xmotion.state = Button1Mask;
            send(ev, PointerMotionMask | Button1MotionMask);
        }
        ev = XEvent{};
        ev.type = ButtonRelease;
        ev.xbutton.x = x1;
        ev.xbutton.y = y1;
        ev.xbutton.button = Button1;
        ev.xbutton.state = Button1Mask;
        send(ev, ButtonReleaseMask);
    }

    /// A key held down or let go, as the X server tells the window.
    void keyEvent(KeySym sym, bool down)
    {
        XEvent ev{};
        ev.type = down ? KeyPress : KeyRelease;
        ev.xkey.keycode = XKeysymToKeycode(display, sym);
        send(ev, down ? KeyPressMask : KeyReleaseMask);
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
    /// Types any text (code points) as a keyboard that has its letters would: each letter gets
    /// a spare key of its own for the while (small letters plain, capitals with Shift), a space
    /// the space bar. The keys are given back by untype() or when this goes.
    void typeText(const std::u32string& text)
    {
        for (char32_t c : text) {
            if (c == U' ') {
                key(XK_space);
                continue;
            }
            const char32_t small = lowerOf(c);
            const KeyCode code = spareKeyFor(small);
            if (!code)
                continue;
            for (int type : {KeyPress, KeyRelease}) {
                XEvent ev{};
                ev.type = type;
                ev.xkey.keycode = code;
                ev.xkey.state = small != c ? ShiftMask : 0;
                send(ev, type == KeyPress ? KeyPressMask : KeyReleaseMask);
            }
        }
    }
    /// Gives the spare keys back their emptiness.
    void untype()
    {
        if (mSpare.empty())
            return;
        for (const auto& mapped : mSpare) {
            KeySym none[2] = {NoSymbol, NoSymbol};
            XChangeKeyboardMapping(display, mapped.second, 2, none, 1);
        }
        mSpare.clear();
        XSync(display, False);
    }
    ~XWindowInput() { untype(); }
    XWindowInput(const XWindowInput&) = delete;
    XWindowInput& operator=(const XWindowInput&) = delete;

    /// The window destroyed by another client, as a window manager or a dying session would;
    /// false when no second connection to the X server opens.
    bool destroyFromOutside()
    {
        Display* other = XOpenDisplay(nullptr);
        if (!other)
            return false;
        XDestroyWindow(other, window);
        XSync(other, False);
        XCloseDisplay(other);
        return true;
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

private:
    static char32_t lowerOf(char32_t c)
    {
        const bool latin = (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        const bool greek = c >= 0x391 && c <= 0x3A9 && c != 0x3A2;
        const bool cyrillic = c >= 0x410 && c <= 0x42F;
        if (latin || greek || cyrillic)
            return c + 0x20;
        if (c >= 0x400 && c <= 0x40F)
            return c + 0x50;
        return c;
    }
    static KeySym symOf(char32_t c) { return c < 0x100 ? static_cast<KeySym>(c) : static_cast<KeySym>(0x01000000 | c); }
    static char32_t upperOf(char32_t small)
    {
        for (char32_t c = small >= 0x50 ? small - 0x50 : 0; c < small; ++c)
            if (lowerOf(c) == small)
                return c;
        return small;
    }
    /// The keyboard's own key for the letter (its small form plain, its capital with Shift); 0
    /// when the keyboard has none. Typed there, nothing of the X server's map changes.
    KeyCode ownKeyFor(char32_t small)
    {
        const KeyCode code = XKeysymToKeycode(display, symOf(small));
        if (!code)
            return 0;
        int per = 0;
        KeySym* map = XGetKeyboardMapping(display, code, 1, &per);
        const char32_t capital = upperOf(small);
        const bool fits =
            map && per >= 1 && map[0] == symOf(small) && (capital == small || (per >= 2 && map[1] == symOf(capital)));
        if (map)
            XFree(map);
        return fits ? code : 0;
    }
    KeyCode spareKeyFor(char32_t small)
    {
        auto it = mSpare.find(small);
        if (it != mSpare.end())
            return it->second;
        // A letter the keyboard has is typed on its own key: the spare keys are the whole X
        // server's, and another test program typing on it at the same time may take them.
        if (const KeyCode own = ownKeyFor(small))
            return own;
        int low = 0, high = 0;
        XDisplayKeycodes(display, &low, &high);
        int per = 0;
        KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &per);
        KeyCode found = 0;
        for (int code = high; code >= low && !found; --code) {
            bool empty = true;
            for (int i = 0; i < per; ++i)
                empty = empty && map[(code - low) * per + i] == NoSymbol;
            bool taken = false;
            for (const auto& mapped : mSpare)
                taken = taken || mapped.second == code;
            if (empty && !taken)
                found = static_cast<KeyCode>(code);
        }
        XFree(map);
        if (!found)
            return 0;
        KeySym syms[2] = {symOf(small), symOf(upperOf(small))};
        XChangeKeyboardMapping(display, found, 2, syms, 1);
        XSync(display, False);
        mSpare[small] = found;
        return found;
    }

    std::map<char32_t, KeyCode> mSpare; // the letters given a spare key, and its code
};

} // namespace zrktest
