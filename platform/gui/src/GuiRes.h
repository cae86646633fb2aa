#pragma once
#include <string>
#include <utility>
#include <vector>
#include <gui/IGuiRes.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;

/// The GUI's resources: the base look is CEGUI's TaharezLook scheme (loaded when a CEGUI
/// system exists and lacks it). The downloaded ones are the imagesets of the resource groups
/// "GUIX1".."GUIX9" and of the packs' groups: once those groups exist, each `isLoading` call
/// loads one more imageset and answers true until none is left. A page whose picture is not
/// there keeps the plain look. The control surface can hold it loading.
class GuiRes : public IGuiRes {
public:
    explicit GuiRes(CallCounter& calls) : mCalls(calls) {}
    void loadBaseResources() override;
    bool isLoading() override;
    void setLoading(bool loading) { mLoading = loading; }

    /// The imagesets loaded so far, as "group/file".
    const std::vector<std::string>& getLoaded() const { return mLoaded; }

private:
    /// The imagesets of the groups that exist now and are not yet loaded, in order.
    void collect();

    CallCounter& mCalls;
    bool mLoading = false;
    bool mCollected = false;
    std::vector<std::pair<std::string, std::string>> mPending; // group, file
    std::vector<std::string> mLoaded;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
