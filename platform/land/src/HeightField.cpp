#include "land/HeightField.h"

#include <algorithm>
#include <cmath>
#include <core/RandomNumber.h>
#include "land/LandRecord.h"
#include "land/StateHash.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr float kOutside = -1000.0f;
constexpr std::size_t kMaxChangedAreas = 256;
} // namespace

void HeightField::build(const LandRecord& terrain, core::RandomNumber& random)
{
    mSize = terrain.getReal("size", 480.0f, 64.0f, 4096.0f);
    mCells = terrain.getInt("cells", 120, 8, 512);
    mCell = mSize / mCells;
    const float base = terrain.getReal("base", 20.0f, -100.0f, 500.0f);
    const int hills = terrain.getInt("hills", 6, 0, 64);
    const float amp = terrain.getReal("amp", 30.0f, 0.0f, 500.0f);
    const float spread = terrain.getReal("spread", 60.0f, 1.0f, 2000.0f);
    mWater = terrain.getReal("water", 2.0f, -100.0f, 500.0f);
    mBottom = std::min(terrain.getReal("bottom", -10.0f, -500.0f, 500.0f), mWater - 1.0f);

    struct Hill {
        float x, z, h;
    };
    std::vector<Hill> list;
    const float half = getHalfSize();
    for (int k = 0; k < hills; ++k) {
        Hill h;
        h.x = random.range(-half, half);
        h.z = random.range(-half, half);
        // Now and then a hollow instead of a hill.
        h.h = amp * random.range(0.4f, 1.0f) * (random.uniform() < 0.3f ? -0.6f : 1.0f);
        list.push_back(h);
    }
    const float margin = mSize * 0.08f;
    const float inv2s2 = 1.0f / (2.0f * spread * spread);
    mHeights.assign(static_cast<std::size_t>(mCells + 1) * (mCells + 1), base);
    for (int j = 0; j <= mCells; ++j) {
        for (int i = 0; i <= mCells; ++i) {
            const float x = -half + i * mCell;
            const float z = -half + j * mCell;
            float h = base;
            for (const Hill& hill : list) {
                const float dx = x - hill.x, dz = z - hill.z;
                h += hill.h * std::exp(-(dx * dx + dz * dz) * inv2s2);
            }
            // The field is an island: its edges slope into the water.
            const float edge = std::min(std::min(x + half, half - x), std::min(z + half, half - z));
            if (edge < margin) {
                const float t = std::max(edge, 0.0f) / margin;
                h = mBottom + (h - mBottom) * t;
            }
            setSample(i, j, std::max(h, mBottom));
        }
    }
    mChanged.clear();
    ++mVersion;
}

void HeightField::buildFlat(float size, int cells, float height, float water)
{
    mSize = size;
    mCells = std::max(cells, 1);
    mCell = mSize / mCells;
    mWater = water;
    mBottom = std::min(-10.0f, water - 1.0f);
    mHeights.assign(static_cast<std::size_t>(mCells + 1) * (mCells + 1), height);
    mChanged.clear();
    ++mVersion;
}

bool HeightField::inside(float x, float z) const
{
    const float half = getHalfSize();
    return x >= -half && x <= half && z >= -half && z <= half;
}

float HeightField::getHeight(float x, float z) const
{
    if (mHeights.empty() || !inside(x, z) || !std::isfinite(x) || !std::isfinite(z))
        return kOutside;
    const float half = getHalfSize();
    const float fx = (x + half) / mCell, fz = (z + half) / mCell;
    int i = std::min(static_cast<int>(fx), mCells - 1);
    int j = std::min(static_cast<int>(fz), mCells - 1);
    const float tx = fx - i, tz = fz - j;
    const float h00 = sample(i, j), h10 = sample(i + 1, j), h01 = sample(i, j + 1), h11 = sample(i + 1, j + 1);
    return (h00 * (1 - tx) + h10 * tx) * (1 - tz) + (h01 * (1 - tx) + h11 * tx) * tz;
}

bool HeightField::crater(const yake::math::Vector3& centre, float radius, float depth)
{
    if (mHeights.empty() || !centre.isFinite() || !(radius > 0.0f) || !(depth > 0.0f))
        return false;
    const float half = getHalfSize();
    const int i0 = std::max(0, static_cast<int>(std::floor((centre.x - radius + half) / mCell)));
    const int i1 = std::min(mCells, static_cast<int>(std::ceil((centre.x + radius + half) / mCell)));
    const int j0 = std::max(0, static_cast<int>(std::floor((centre.z - radius + half) / mCell)));
    const int j1 = std::min(mCells, static_cast<int>(std::ceil((centre.z + radius + half) / mCell)));
    if (i0 > i1 || j0 > j1)
        return false;
    bool changed = false;
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const float dx = -half + i * mCell - centre.x;
            const float dz = -half + j * mCell - centre.z;
            const float d2 = dx * dx + dz * dz;
            if (d2 >= radius * radius)
                continue;
            const float bowl = centre.y - depth * std::sqrt(1.0f - d2 / (radius * radius));
            const float h = sample(i, j);
            if (bowl < h) {
                setSample(i, j, std::max(bowl, mBottom));
                changed = changed || std::max(bowl, mBottom) < h;
            }
        }
    }
    if (changed)
        markChanged(i0, j0, i1, j1);
    return changed;
}

void HeightField::raise(float x, float z, float radius, float height)
{
    if (mHeights.empty())
        return;
    const float half = getHalfSize();
    bool changed = false;
    for (int j = 0; j <= mCells; ++j)
        for (int i = 0; i <= mCells; ++i) {
            const float dx = -half + i * mCell - x, dz = -half + j * mCell - z;
            if (dx * dx + dz * dz <= radius * radius && sample(i, j) < height) {
                setSample(i, j, height);
                changed = true;
            }
        }
    if (changed)
        markChanged(0, 0, mCells, mCells);
}

void HeightField::markChanged(int x0, int z0, int x1, int z1)
{
    ++mVersion;
    if (mChanged.size() >= kMaxChangedAreas) {
        // Nobody reads them: one area for everything keeps memory bounded.
        mChanged.assign(1, Area{0, 0, mCells, mCells});
        return;
    }
    mChanged.push_back(Area{x0, z0, x1, z1});
}

std::vector<HeightField::Area> HeightField::takeChangedAreas()
{
    std::vector<Area> out;
    out.swap(mChanged);
    return out;
}

std::uint64_t HeightField::hash() const
{
    StateHash h;
    for (float f : mHeights)
        h.addFloat(f);
    return h.value();
}

} // namespace zrk
} // namespace kavri3D
