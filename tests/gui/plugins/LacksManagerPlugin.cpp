// A GUI plug-in built without its manager factory.
#include <gui/IGuiRes.h>

namespace {
struct Res : kavri3D::zrk::gui::IGuiRes {
    void loadBaseResources() override {}
    bool isLoading() override { return false; }
};
Res gRes;
} // namespace

extern "C" __attribute__((visibility("default"))) bool zrkGuiResCreator(kavri3D::zrk::gui::IGuiRes** out)
{
    *out = &gRes;
    return true;
}
