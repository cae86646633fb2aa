#pragma once
#include <yake/Vector3.h>

namespace kavri3D {
namespace zrk {

/// Shells under gravity and wind: a constant acceleration, so a flight has a closed form and
/// a launch velocity for a given pitch can be solved exactly.
class Ballistics {
public:
    /// Gravity plus, when asked, the horizontal push of the wind (its direction times power).
    static yake::math::Vector3 acceleration(const yake::math::Vector3& wind, bool withWind);
    static yake::math::Vector3 positionAt(const yake::math::Vector3& p0, const yake::math::Vector3& v0,
                                          const yake::math::Vector3& accel, float t);
    /// One step of a flight; exact for a constant acceleration.
    static void step(yake::math::Vector3& p, yake::math::Vector3& v, const yake::math::Vector3& accel, float dt);
    /// The direction of a heading (radians about Y, 0 along +Z) and a pitch (radians up).
    static yake::math::Vector3 direction(float heading, float pitch);
    /// The heading of a direction (its horizontal part); 0 when it has none.
    static float headingOf(const yake::math::Vector3& dir);
    /// The launch velocity from `from` that passes through `to` leaving at `pitch` (radians
    /// above the horizon) under `accel`; the slowest when there are two. False when no such
    /// flight exists or an argument is not finite.
    static bool solveLaunch(const yake::math::Vector3& from, const yake::math::Vector3& to, float pitch,
                            const yake::math::Vector3& accel, yake::math::Vector3& velocity, float& flightTime);
};

} // namespace zrk
} // namespace kavri3D
