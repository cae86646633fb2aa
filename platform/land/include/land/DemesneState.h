#pragma once
#include <cstdint>

namespace kavri3D {
namespace zrk {

/// The holding state of a domain battle (tactic 3): six words, passed to the battle bar.
struct DemesneState {
    std::int32_t holder = -1;  ///< team holding the domain
    std::int32_t progress = 0; ///< percent of the hold
    std::int32_t score[2] = {0, 0};
    std::int32_t reserved[2] = {0, 0};
};

} // namespace zrk
} // namespace kavri3D
