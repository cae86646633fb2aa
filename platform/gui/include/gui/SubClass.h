#pragma once
#include <cstdint>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One item sub-class for the GUI: what kind of item, in which worn slot ("isc_slot", 0 for
/// none) and how many stack in one bag slot.
struct SubClass {
    std::int32_t isc_id = 0;
    std::int32_t ic_id = 0;
    std::string isc_name;
    std::int32_t isc_slot = 0;
    std::int32_t isc_stack_num = 0;
    std::string ic_name;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
