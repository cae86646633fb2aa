#pragma once
#include "yake/Quaternion.h"
#include "yake/Vector3.h"

namespace yake {

/// Something placed in the world: a position and an orientation.
class Movable {
public:
    virtual ~Movable() = default;

    const math::Vector3& getPosition() const { return mPosition; }
    void setPosition(const math::Vector3& p) { mPosition = p; }
    const math::Quaternion& getOrientation() const { return mOrientation; }
    void setOrientation(const math::Quaternion& q) { mOrientation = q; }
    /// The direction it faces (its orientation applied to unit Z).
    math::Vector3 getFacing() const { return mOrientation * math::Vector3::UNIT_Z; }

private:
    math::Vector3 mPosition;
    math::Quaternion mOrientation;
};

} // namespace yake
