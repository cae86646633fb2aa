// A GUI plug-in whose factories answer without an object: the manager one claims success.
#include <gui/IGuiManager.h>
#include <gui/IGuiRes.h>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT bool zrkGuiManagerCreator(kavri3D::zrk::gui::IGuiManager** out)
{
    *out = nullptr;
    return true;
}

EXPORT bool zrkGuiResCreator(kavri3D::zrk::gui::IGuiRes** out)
{
    *out = nullptr;
    return false;
}

EXPORT void zrkRegistOverlayFactory() {}
