#pragma once
#include <cstdint>

namespace kavri3D {
namespace zrk {
namespace gui {

/// What a cell window of the bag screen carries as its user data: the inventory slot it shows
/// and the bind flag of the item in it (0 when not bound or empty).
struct BagCell {
    std::int32_t slot = 0;
    std::int32_t bind = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
