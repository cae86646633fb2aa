#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>
#include <win32/Windows.h>

namespace kavri3D {
namespace core {

class GraphicsSystem;

/// The game window. Its handle is published as "kavri3D/win32RenderWindow". It is placed and
/// sized from the blackboard keys "kavri3D/win32RenderWindowX", "...Y", "...W" and "...H"
/// (outer size), and runs headless only when "kavri3D/headless" is set; without a display it
/// is not made, and why goes to "kavri3D/win32RenderWindowError".
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
    /// The game's window (the last one made); null without one.
    static win32RenderWindow* getSingletonPtr();
    /// Whether the window has the input focus (true while it has no graphics).
    bool isActivated() const;
    /// The engine's graphics behind the window; null before create or when it failed.
    GraphicsSystem* getGraphics() const { return mGraphics.get(); }

private:
    std::string mClassName;
    HWND mHwnd = nullptr;
    DWORD mStyle = 0;
    DWORD mExStyle = 0;
    std::unique_ptr<GraphicsSystem> mGraphics;
};

typedef boost::shared_ptr<win32RenderWindow> win32RenderWindowPtr;

} // namespace core
} // namespace kavri3D
