// The plug-in's exported factories: what the game's loader looks up by name.
#include <exception>
#include <memory>

#include "GuiLog.h"
#include "GuiManager.h"

namespace {
// The one manager, made at the first factory call and gone when the library is unloaded
// (deleting the game's events that are still registered).
std::unique_ptr<kavri3D::zrk::gui::GuiManager> gManager;

kavri3D::zrk::gui::GuiManager& manager()
{
    if (!gManager)
        gManager = std::make_unique<kavri3D::zrk::gui::GuiManager>();
    return *gManager;
}

template <class T, class Get> bool create(T** out, const char* what, Get get)
{
    if (!out)
        return false;
    *out = nullptr;
    try {
        *out = get();
    } catch (const std::exception& e) {
        kavri3D::zrk::gui::guiLog(kavri3D::zrk::gui::Severity::Error, what, " failed: ", e.what());
    }
    return *out != nullptr;
}
} // namespace

#define ZRK_GUI_EXPORT extern "C" __attribute__((visibility("default")))

ZRK_GUI_EXPORT bool zrkGuiManagerCreator(kavri3D::zrk::gui::IGuiManager** out)
{
    return create(out, "zrkGuiManagerCreator", [] {
        manager().connectFramework();
        return &manager();
    });
}

ZRK_GUI_EXPORT bool zrkGuiResCreator(kavri3D::zrk::gui::IGuiRes** out)
{
    return create(out, "zrkGuiResCreator", [] { return &manager().res(); });
}

ZRK_GUI_EXPORT void zrkRegistOverlayFactory()
{
    try {
        // The game's overlays draw through CEGUI here; there is no OGRE overlay factory to add.
        manager().calls().add("registOverlayFactory");
    } catch (const std::exception& e) {
        kavri3D::zrk::gui::guiLog(kavri3D::zrk::gui::Severity::Error, "zrkRegistOverlayFactory failed: ", e.what());
    }
}
