#include "XScreen.h"

#include <cstdlib>
#include <future>
#include <system_error>
#include <string>

// X11 alone in this file: its macros (Bool, None, Status...) clash with the Win32 names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace win32detail {

namespace {

/// A property of the root window as 32-bit cardinals (Xlib hands them out as longs).
bool readCardinals(Display* d, Window root, const char* name, unsigned long want, long* out)
{
    Atom prop = XInternAtom(d, name, True);
    if (prop == 0)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool ok = XGetWindowProperty(d, root, prop, 0, 4096, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
                  Success &&
              type == XA_CARDINAL && format == 32 && count >= want;
    if (ok) {
        const long* values = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < want; ++i)
            out[i] = values[i];
    }
    if (data)
        XFree(data);
    return ok;
}

/// Until the game window stands, one connection serves every question: a server whose only
/// client goes away resets itself (an X server without a desktop does), and the game window's
/// own connection right after would wait for that, tens of milliseconds a time.
Display* gKept = nullptr;
std::string gKeptName;
bool gKeeping = true;
// What the kept connection read: the start-up asks the screen's size and work area several
// times, and each question is two round trips to the server, a millisecond or more a time.
XScreen gRead;
bool gHaveRead = false;
// The first reading, made on a thread of its own while the game starts: the connection's
// hand-shake and the round trips are waits the start-up need not sit through. Nothing else
// touches the kept connection until it is joined.
std::future<void> gPrefetch;

void joinPrefetch()
{
    if (gPrefetch.valid())
        gPrefetch.get();
}

bool readNow(XScreen& out);

Display* connection(const char* name)
{
    if (!gKeeping)
        return XOpenDisplay(name);
    if (gKept && gKeptName != name) {
        XCloseDisplay(gKept);
        gKept = nullptr;
        gHaveRead = false;
    }
    if (!gKept) {
        gKept = XOpenDisplay(name);
        gKeptName = gKept ? name : "";
    }
    return gKept;
}

} // namespace

void prefetchXScreen()
{
    const char* name = std::getenv("DISPLAY");
    if (!gKeeping || gPrefetch.valid() || gHaveRead || !name || !*name)
        return;
    try {
        gPrefetch = std::async(std::launch::async, [] {
            XScreen ignored;
            readNow(ignored);
        });
    } catch (const std::system_error&) {
        // No thread to spare: the first question reads it in place.
    }
}

void releaseXScreen()
{
    joinPrefetch();
    gKeeping = false;
    if (gKept)
        XCloseDisplay(gKept);
    gKept = nullptr;
    gKeptName.clear();
    gHaveRead = false;
}

namespace {
int ignoreXError(Display*, XErrorEvent*) { return 0; }
} // namespace

bool readXWindowSize(unsigned long window, int& width, int& height)
{
    const char* name = std::getenv("DISPLAY");
    if (!window || !name || !*name)
        return false;
    joinPrefetch();
    Display* d = connection(name);
    if (!d)
        return false;
    // A window id that names nothing is an answer, not a reason to end the process.
    XSync(d, False);
    const XErrorHandler before = XSetErrorHandler(&ignoreXError);
    XWindowAttributes attrs{};
    const bool ok = XGetWindowAttributes(d, static_cast<Window>(window), &attrs) != 0;
    XSync(d, False);
    XSetErrorHandler(before);
    if (!gKeeping)
        XCloseDisplay(d);
    if (!ok)
        return false;
    width = attrs.width;
    height = attrs.height;
    return true;
}

bool readXScreen(XScreen& out)
{
    joinPrefetch();
    return readNow(out);
}

namespace {

bool readNow(XScreen& out)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return false;
    Display* d = connection(name);
    if (!d)
        return false;
    if (gKeeping && gHaveRead) {
        out = gRead;
        return true;
    }
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    out.width = DisplayWidth(d, screen);
    out.height = DisplayHeight(d, screen);
    out.workLeft = 0;
    out.workTop = 0;
    out.workRight = out.width;
    out.workBottom = out.height;

    // _NET_WORKAREA holds x, y, width, height for each desktop; the current one counts.
    long desktop = 0;
    if (!readCardinals(d, root, "_NET_CURRENT_DESKTOP", 1, &desktop) || desktop < 0 || desktop > 64)
        desktop = 0;
    long areas[65 * 4];
    bool found = readCardinals(d, root, "_NET_WORKAREA", static_cast<unsigned long>(desktop + 1) * 4, areas);
    if (!found && desktop != 0) {
        desktop = 0;
        found = readCardinals(d, root, "_NET_WORKAREA", 4, areas);
    }
    const long* a = areas + desktop * 4;
    // Only an area that lies on the screen and has a size is taken.
    if (found && a[0] >= 0 && a[1] >= 0 && a[2] > 0 && a[3] > 0 && a[0] + a[2] <= out.width &&
        a[1] + a[3] <= out.height) {
        out.workLeft = static_cast<int>(a[0]);
        out.workTop = static_cast<int>(a[1]);
        out.workRight = static_cast<int>(a[0] + a[2]);
        out.workBottom = static_cast<int>(a[1] + a[3]);
    }
    if (!gKeeping)
        XCloseDisplay(d);
    else {
        gRead = out;
        gHaveRead = true;
    }
    return true;
}

} // namespace

} // namespace win32detail
