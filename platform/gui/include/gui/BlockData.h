#pragma once
#include <cstdint>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One worn item as the bag screen hands it to the outfit event: the equipment slot's name
/// ("coat", "hairstyle"...) and the item kind id.
struct BlockData {
    std::string slotName;
    std::int32_t itemId = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
