#pragma once

namespace kavri3D {
namespace core {

/// A named render-to-texture picture the GUI shows (a portrait, the try-on model, a prize
/// box). The slot exists from the start; its scene and texture are attached later.
class SnapShotEx {
public:
    explicit SnapShotEx(unsigned flags);
    virtual ~SnapShotEx();
    SnapShotEx(const SnapShotEx&) = delete;
    SnapShotEx& operator=(const SnapShotEx&) = delete;

    unsigned getFlags() const { return mFlags; }

private:
    unsigned mFlags;
};

} // namespace core
} // namespace kavri3D
