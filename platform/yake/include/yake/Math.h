#pragma once
#include <functional>

namespace yake {
namespace math {

class Math {
public:
    /// A random real in [0, 1]. Tests may install their own source to get exact values.
    static float UnitRandom();
    /// Installs a source for UnitRandom; an empty function restores the default generator.
    static void setRandomSource(std::function<float()> source);
    /// The game's angles are in degrees.
    static float AngleUnitsToRadians(float degrees) { return degrees * 0.017453292519943295f; }
};

} // namespace math
} // namespace yake
