#pragma once
#include <gui/IGuiRes.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;

/// The GUI's resources: the base look is CEGUI's TaharezLook scheme (loaded when a CEGUI
/// system exists and lacks it); whether downloaded resources are still loading is set by the
/// control surface.
class GuiRes : public IGuiRes {
public:
    explicit GuiRes(CallCounter& calls) : mCalls(calls) {}
    void loadBaseResources() override;
    bool isLoading() override { return mLoading; }
    void setLoading(bool loading) { mLoading = loading; }

private:
    CallCounter& mCalls;
    bool mLoading = false;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
