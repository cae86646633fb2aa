#include "core/win32RenderWindow.h"

#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <cstdint>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {
win32RenderWindow* theWindow = nullptr;
}

win32RenderWindow::win32RenderWindow(const std::string& className) : mClassName(className) { theWindow = this; }

win32RenderWindow::~win32RenderWindow()
{
    destroy();
    if (theWindow == this)
        theWindow = nullptr;
}

win32RenderWindow* win32RenderWindow::getSingletonPtr() { return theWindow; }

bool win32RenderWindow::isActivated() const { return !mGraphics || mGraphics->isActive(); }

namespace {
/// The program's picture of a resource ("res/app/icon110.png"); empty without one.
std::string resourcePicture(BlackBoard* bb, const char* kind, int id)
{
    if (!bb || id <= 0)
        return std::string();
    return bb->getString("kavri3D/appPath", "") + "res/app/" + kind + std::to_string(id) + ".png";
}

/// The window record the game window is to live in ("kavri3D/win32RenderWindowParent").
HWND parentOf(BlackBoard* bb)
{
    const std::string text = bb ? bb->getString("kavri3D/win32RenderWindowParent", "") : std::string();
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19)
        return nullptr;
    HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(text)));
    return IsWindow(parent) ? parent : nullptr;
}

// The pointer picture's tip.
const int kCursorHotX = 1, kCursorHotY = 1;
} // namespace

bool win32RenderWindow::create(const std::wstring& title, DWORD style, DWORD exStyle, HCURSOR cursor, HICON smallIcon)
{
    if (mHwnd)
        return true;
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    GraphicsSystem::WindowSpec spec;
    spec.title = win32Utf8FromWide(title);
    spec.visible = (style & WS_VISIBLE) != 0;
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    if (bb) {
        // The keys hold the outer size; OGRE wants the drawable size inside the frame.
        spec.x = bb->getInt("kavri3D/win32RenderWindowX", 0);
        spec.y = bb->getInt("kavri3D/win32RenderWindowY", 0);
        spec.width = bb->getInt("kavri3D/win32RenderWindowW", 800) - (frame.right - frame.left);
        spec.height = bb->getInt("kavri3D/win32RenderWindowH", 600) - (frame.bottom - frame.top);
    }
    if (spec.width < 64 || spec.height < 64) {
        spec.width = 800;
        spec.height = 600;
    }
    HWND parent = (style & WS_CHILD) ? parentOf(bb) : nullptr;
    if (parent)
        spec.parent = parent->native;
    spec.iconFile = resourcePicture(bb, "icon", win32IconResource(smallIcon));
    spec.cursorFile = resourcePicture(bb, "cursor", win32CursorResource(cursor));
    spec.cursorHotX = kCursorHotX;
    spec.cursorHotY = kCursorHotY;
    std::string logFile = yake::logging::logger::instance().logFile();
    if (!logFile.empty())
        spec.logFile = logFile.substr(0, logFile.rfind('/') + 1) + "Ogre.log";

    // Without a window only when asked: a game that cannot be seen must not run on unseen.
    const bool headless = bb && bb->getBool("kavri3D/headless", false);
    if (!headless && !GraphicsSystem::displayAvailable()) {
        if (bb)
            bb->setString("kavri3D/win32RenderWindowError",
                          "no display to open the game window on (DISPLAY is not set); start with /headless=1 to "
                          "run without a window");
        return false;
    }
    mGraphics = GraphicsSystem::create(headless, spec);
    win32ReleaseScreenConnection();
    if (!mGraphics)
        return false;

    mHwnd = createWindowRecord();
    mStyle = style;
    mExStyle = exStyle;
    mHwnd->title = title;
    mHwnd->smallIcon = smallIcon;
    mHwnd->visible = spec.visible;
    mHwnd->client = RECT{0, 0, spec.width, spec.height};
    mHwnd->parent = parent;
    mHwnd->position = POINT{parent ? spec.x : 0, parent ? spec.y : 0};
    mHwnd->native = mGraphics->getXWindow();
    GraphicsSystem* g = mGraphics.get();
    mHwnd->onTitle = [g](const std::wstring& t) { g->setTitle(win32Utf8FromWide(t)); };
    mHwnd->onShow = [g](bool visible) { g->setVisible(visible); };
    mHwnd->onFocus = [g] { g->focus(); };
    if (bb)
        bb->setString("kavri3D/win32RenderWindow", std::to_string(reinterpret_cast<std::intptr_t>(mHwnd)));
    return true;
}

void win32RenderWindow::destroy()
{
    if (mHwnd) {
        if (BlackBoard* bb = BlackBoard::getSingletonPtr())
            bb->setString("kavri3D/win32RenderWindow", "0");
        destroyWindowRecord(mHwnd);
        mHwnd = nullptr;
    }
    mGraphics.reset();
}

void win32RenderWindow::centerWindow() {}

} // namespace core
} // namespace kavri3D
