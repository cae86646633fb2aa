#include "core/XWindowLook.h"

#include <Ogre.h>
#include <fstream>
#include <iterator>
#include <yake/Logger.h>
// X11 last: its macros would break the engine's headers.
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("graphics");

// The Motif hints every window manager still reads: which functions and decorations a window has.
const unsigned long kMwmHintsFunctions = 1, kMwmHintsDecorations = 2;
const unsigned long kMwmFuncMove = 4, kMwmFuncMinimize = 8, kMwmFuncClose = 32;
const unsigned long kMwmDecorBorder = 2, kMwmDecorTitle = 8, kMwmDecorMenu = 16, kMwmDecorMinimize = 32;
} // namespace

XWindowLook::Picture XWindowLook::readPicture(const std::string& file, int side)
{
    Picture out;
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    if (in)
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > kMaxPictureBytes) {
        logLine(Severity::Warning,
                "window picture " + file + (bytes.empty() ? " is missing" : " is too large") + ": not shown");
        return out;
    }
    try {
        Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(&bytes[0], bytes.size(), false, true));
        const std::string::size_type dot = file.find_last_of('.');
        Ogre::Image image;
        image.load(stream, dot == std::string::npos ? Ogre::String() : file.substr(dot + 1));
        if (image.getWidth() == 0 || image.getHeight() == 0 || image.getWidth() > Ogre::uint32(kMaxSide) ||
            image.getHeight() > Ogre::uint32(kMaxSide)) {
            logLine(Severity::Warning, "window picture " + file + " has no size the window takes: not shown");
            return out;
        }
        if (side > 0 && (image.getWidth() != Ogre::uint32(side) || image.getHeight() != Ogre::uint32(side)))
            image.resize(Ogre::ushort(side), Ogre::ushort(side));
        out.width = static_cast<int>(image.getWidth());
        out.height = static_cast<int>(image.getHeight());
        out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                out.pixels.push_back(image.getColourAt(std::size_t(x), std::size_t(y), 0).getAsARGB());
    } catch (const Ogre::Exception& e) {
        logLine(Severity::Warning, "window picture " + file + " cannot be read: " + e.getDescription());
        out = Picture();
    }
    return out;
}

void XWindowLook::fixSize(void* display, unsigned long window, int width, int height)
{
    Display* d = static_cast<Display*>(display);
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(d, static_cast<Window>(window), hints);
        XFree(hints);
    }
    const long motif[5] = {static_cast<long>(kMwmHintsFunctions | kMwmHintsDecorations),
                           static_cast<long>(kMwmFuncMove | kMwmFuncMinimize | kMwmFuncClose),
                           static_cast<long>(kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu | kMwmDecorMinimize), 0,
                           0};
    const Atom atom = XInternAtom(d, "_MOTIF_WM_HINTS", False);
    XChangeProperty(d, static_cast<Window>(window), atom, atom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
}

bool XWindowLook::setIcon(void* display, unsigned long window, const std::string& file)
{
    // Xlib takes 32-bit properties as longs: width, height, then the pixels, for each size.
    std::vector<long> data;
    for (int side : {16, 32}) {
        const Picture p = readPicture(file, side);
        if (p.pixels.empty())
            return false;
        data.push_back(p.width);
        data.push_back(p.height);
        data.insert(data.end(), p.pixels.begin(), p.pixels.end());
    }
    Display* d = static_cast<Display*>(display);
    XChangeProperty(d, static_cast<Window>(window), XInternAtom(d, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<int>(data.size()));
    return true;
}

bool XWindowLook::setCursor(void* display, unsigned long window, const std::string& file, int hotX, int hotY)
{
    const Picture p = readPicture(file, 0);
    if (p.pixels.empty())
        return false;
    XcursorImage* image = XcursorImageCreate(p.width, p.height);
    if (!image)
        return false;
    image->xhot = static_cast<XcursorDim>(std::min(std::max(hotX, 0), p.width - 1));
    image->yhot = static_cast<XcursorDim>(std::min(std::max(hotY, 0), p.height - 1));
    // The cursor's pixels are premultiplied by their alpha.
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
        const std::uint32_t c = p.pixels[i], a = c >> 24;
        auto mul = [a](std::uint32_t v) { return (v * a + 127) / 255; };
        image->pixels[i] = (a << 24) | (mul((c >> 16) & 0xff) << 16) | (mul((c >> 8) & 0xff) << 8) | mul(c & 0xff);
    }
    Display* d = static_cast<Display*>(display);
    const Cursor cursor = XcursorImageLoadCursor(d, image);
    XcursorImageDestroy(image);
    if (!cursor)
        return false;
    XDefineCursor(d, static_cast<Window>(window), cursor);
    XFreeCursor(d, cursor); // the window keeps it
    return true;
}

} // namespace core
} // namespace kavri3D
