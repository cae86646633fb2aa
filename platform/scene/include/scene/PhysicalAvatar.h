#pragma once

namespace kavri3D {
namespace core {

/// The body of a figure as physics sees it: whether it is in the air by its own jump.
class PhysicalAvatar {
public:
    bool isJumping() const { return mJumping; }
    void setJumping(bool jumping) { mJumping = jumping; }

private:
    bool mJumping = false;
};

} // namespace core
} // namespace kavri3D
