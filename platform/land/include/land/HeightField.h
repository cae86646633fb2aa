#pragma once
#include <cstdint>
#include <vector>
#include <yake/Vector3.h>

namespace kavri3D {
namespace core {
class RandomNumber;
}
namespace zrk {

class LandRecord;

/// The battle's ground: heights on a square grid centred on the origin, hills drawn from the
/// map's terrain record and the battle's generator, sinking into the water at the edges.
/// Explosions dig craters; every crater is remembered as a changed area for the scene.
class HeightField {
public:
    struct Area {
        int x0, z0, x1, z1; ///< grid samples, inclusive
    };

    /// Reads "size", "cells", "base", "hills", "amp", "spread", "water" and "bottom".
    void build(const LandRecord& terrain, core::RandomNumber& random);
    /// A flat field (tests).
    void buildFlat(float size, int cells, float height, float water);

    float getSize() const { return mSize; }
    float getHalfSize() const { return mSize * 0.5f; }
    int getCells() const { return mCells; }
    float getCellSize() const { return mCell; }
    float getWater() const { return mWater; }
    float getBottom() const { return mBottom; }
    bool inside(float x, float z) const;
    /// The ground height (bilinear); outside the field the bottom far below the water.
    float getHeight(float x, float z) const;
    /// The height of grid sample (i, j), 0 <= i, j <= cells.
    float sample(int i, int j) const { return mHeights[static_cast<std::size_t>(j) * (mCells + 1) + i]; }
    const std::vector<float>& samples() const { return mHeights; }

    /// A bowl of the radius around the point, its lowest point `depth` under it; the ground
    /// never rises and never sinks under the bottom. Returns false when nothing changed.
    bool crater(const yake::math::Vector3& centre, float radius, float depth);
    /// Raises the ground around (x, z) to at least `height` within the radius (a spawn pad).
    void raise(float x, float z, float radius, float height);

    /// Areas changed since the last call (for the scene); the version counts every change.
    std::vector<Area> takeChangedAreas();
    unsigned getVersion() const { return mVersion; }
    std::uint64_t hash() const;

private:
    void setSample(int i, int j, float h) { mHeights[static_cast<std::size_t>(j) * (mCells + 1) + i] = h; }
    void markChanged(int x0, int z0, int x1, int z1);

    float mSize = 0.0f;
    int mCells = 0;
    float mCell = 1.0f;
    float mWater = 0.0f;
    float mBottom = -10.0f;
    std::vector<float> mHeights;
    std::vector<Area> mChanged;
    unsigned mVersion = 0;
};

} // namespace zrk
} // namespace kavri3D
