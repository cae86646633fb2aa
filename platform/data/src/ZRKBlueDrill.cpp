#include "data/ZRKBlueDrill.h"

#include <cmath>

namespace kavri3D {
namespace zrk {

int ZRKBlueDrill::memberPrice(int amount, float factor)
{
    if (!(factor > 0.0f && factor <= 1.0f))
        return amount;
    // Kept in single precision on purpose: 100 x 0.8f is 80 there, 80.0000012 in double.
    const float product = static_cast<float>(amount) * factor;
    const float up = std::ceil(product);
    return static_cast<int>(up);
}

} // namespace zrk
} // namespace kavri3D
