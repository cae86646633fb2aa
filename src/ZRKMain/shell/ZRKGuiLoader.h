#pragma once
#include <util/Singleton.h>
#include <win32/Windows.h>

namespace kavri3D {
namespace zrk {
namespace gui {
class IGuiManager;
class IGuiRes;
} // namespace gui

/// Holds the GUI plug-in library ("ZRK_Gui.dll", libZRK_Gui.so beside the module) and calls
/// its factories. One live instance at a time; releasing it unloads the plug-in.
class ZRKGuiLoader : public Singleton<ZRKGuiLoader> {
public:
    ZRKGuiLoader();
    ~ZRKGuiLoader();

    void load();
    /// Loads a plug-in by path (tests load broken plug-ins this way).
    void loadFrom(const char* library);
    bool isNull() const { return mModule == nullptr; }
    void unload();

    /// The export is looked up at every call. A missing export or a factory that gives null
    /// is logged and answered with false; `out` is then null.
    bool createGuiManager(gui::IGuiManager** out);
    bool createGuiRes(gui::IGuiRes** out);
    void registOverlayFactory();
    /// Whether the loaded plug-in has all three exports and its two factories give objects;
    /// the first fault is logged in one line that names the export.
    bool isComplete();

private:
    HMODULE mModule = nullptr;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKGuiLoader);
