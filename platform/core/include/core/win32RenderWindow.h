#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <win32/Windows.h>

namespace kavri3D {
namespace core {

/// The game window. Its handle is published as "kavri3D/win32RenderWindow".
class win32RenderWindow {
public:
    explicit win32RenderWindow(const std::string& className);
    virtual ~win32RenderWindow();

    bool create(const std::wstring& title, DWORD style, DWORD exStyle, HCURSOR cursor, HICON smallIcon);
    void destroy();
    HWND getHandle() const { return mHwnd; }
    const std::string& getClassName() const { return mClassName; }
    DWORD getStyle() const { return mStyle; }
    DWORD getExStyle() const { return mExStyle; }
    /// Centres the window on the work area.
    void centerWindow();

private:
    std::string mClassName;
    HWND mHwnd = nullptr;
    DWORD mStyle = 0;
    DWORD mExStyle = 0;
};

typedef boost::shared_ptr<win32RenderWindow> win32RenderWindowPtr;

} // namespace core
} // namespace kavri3D
