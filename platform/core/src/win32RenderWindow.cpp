#include "core/win32RenderWindow.h"

#include <core/BlackBoard.h>

namespace kavri3D {
namespace core {

win32RenderWindow::win32RenderWindow(const std::string& className) : mClassName(className) {}

win32RenderWindow::~win32RenderWindow() { destroy(); }

bool win32RenderWindow::create(const std::wstring& title, DWORD style, DWORD exStyle, HCURSOR, HICON smallIcon)
{
    if (mHwnd)
        return true;
    mHwnd = createWindowRecord();
    mStyle = style;
    mExStyle = exStyle;
    mHwnd->title = title;
    mHwnd->smallIcon = smallIcon;
    if (BlackBoard* bb = BlackBoard::getSingletonPtr()) {
        mHwnd->client = RECT{0, 0, bb->getInt("kavri3D/win32RenderWindowW", 800), bb->getInt("kavri3D/win32RenderWindowH", 600)};
        bb->setString("kavri3D/win32RenderWindow", std::to_string(reinterpret_cast<std::intptr_t>(mHwnd)));
    }
    return true;
}

void win32RenderWindow::destroy()
{
    if (!mHwnd)
        return;
    if (BlackBoard* bb = BlackBoard::getSingletonPtr())
        bb->setString("kavri3D/win32RenderWindow", "0");
    destroyWindowRecord(mHwnd);
    mHwnd = nullptr;
}

void win32RenderWindow::centerWindow() {}

} // namespace core
} // namespace kavri3D
