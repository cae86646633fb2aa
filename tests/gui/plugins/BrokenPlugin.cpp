// GUI plug-ins the game must refuse, one per fault, each built from this file with one of:
// ZRK_LACKS_MANAGER, ZRK_LACKS_RES, ZRK_LACKS_OVERLAY (an export missing), ZRK_GIVES_NOTHING
// (factories answer without an object, the manager one claiming success), ZRK_THROWS (a
// plug-in with all its parts whose overlay registration throws).
#include <gui/IGuiManager.h>
#include <gui/IGuiRes.h>
#include <stdexcept>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct Res : kavri3D::zrk::gui::IGuiRes {
    void loadBaseResources() override {}
    bool isLoading() override { return false; }
};
Res gRes;
} // namespace

#ifndef ZRK_LACKS_MANAGER
EXPORT bool zrkGuiManagerCreator(kavri3D::zrk::gui::IGuiManager** out)
{
#if defined(ZRK_GIVES_NOTHING)
    *out = nullptr;
#else
    // Never used as a manager: every fault of these plug-ins ends the start-up first.
    *out = reinterpret_cast<kavri3D::zrk::gui::IGuiManager*>(&gRes);
#endif
    return true;
}
#endif

#ifndef ZRK_LACKS_RES
EXPORT bool zrkGuiResCreator(kavri3D::zrk::gui::IGuiRes** out)
{
#if defined(ZRK_GIVES_NOTHING)
    *out = nullptr;
    return false;
#else
    *out = &gRes;
    return true;
#endif
}
#endif

#ifndef ZRK_LACKS_OVERLAY
EXPORT void zrkRegistOverlayFactory()
{
#if defined(ZRK_THROWS)
    throw std::runtime_error("overlay factory broken");
#endif
}
#endif
