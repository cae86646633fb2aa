#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

/// The plug-in's GUI resources (schemes, imagesets, fonts, layouts).
class IGuiRes {
public:
    virtual ~IGuiRes() = default;
    virtual void loadBaseResources() = 0;
    /// True while downloaded resources are still being loaded.
    virtual bool isLoading() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
