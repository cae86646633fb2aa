#pragma once
#include <cstdint>
#include <cstring>

namespace kavri3D {
namespace zrk {

/// FNV-1a over the words of a battle's state: the same state, the same hash, everywhere.
class StateHash {
public:
    StateHash& add(std::uint64_t v)
    {
        mHash = (mHash ^ v) * 1099511628211ull;
        return *this;
    }
    StateHash& addFloat(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return add(bits);
    }
    std::uint64_t value() const { return mHash; }

private:
    std::uint64_t mHash = 1469598103934665603ull;
};

} // namespace zrk
} // namespace kavri3D
