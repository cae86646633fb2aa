#pragma once
#include <cmath>
#include <cstdint>
#include <functional>

namespace kavri3D {
namespace core {

/// A small seeded random source (SplitMix64). Its numbers depend on the seed alone, on every
/// platform and compiler, so a seed and the same calls replay the same game.
class RandomNumber {
public:
    explicit RandomNumber(std::uint64_t seed = 0) : mState(seed) {}

    /// A source whose uniform() draws from the game's settable random source (what tests fix
    /// with yake::math::Math::setRandomSource) instead of a seeded stream of its own: for the
    /// screen's flourishes, which replays need not repeat.
    static RandomNumber settable();

    void seed(std::uint64_t seed) { mState = seed; }
    std::uint64_t getState() const { return mState; }

    std::uint64_t next64()
    {
        std::uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /// A value in [0, 1): the top 24 bits over 2^24, exact in a float and never 1.
    float uniform()
    {
        if (mSource) {
            // Whatever the installed source gives is kept in [0, 1).
            const float v = mSource();
            return !(v > 0.0f) ? 0.0f : v < 1.0f ? v : std::nextafter(1.0f, 0.0f);
        }
        return static_cast<float>(next64() >> 40) * (1.0f / 16777216.0f);
    }
    /// A value in [low, high).
    float range(float low, float high) { return low + (high - low) * uniform(); }
    /// An integer in [0, n); 0 when n is 0.
    std::uint32_t below(std::uint32_t n) { return n ? static_cast<std::uint32_t>(next64() % n) : 0; }

private:
    std::uint64_t mState;
    std::function<float()> mSource;
};

} // namespace core
} // namespace kavri3D
