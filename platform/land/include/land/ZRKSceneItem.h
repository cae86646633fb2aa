#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// A crate put into the battle: what it gives (kind 1 health, 2 shells) and how much.
struct ZRKSceneItem {
    int kind = 1;
    int value = 0;
    std::string look; ///< its figure, empty for the default crate
};

} // namespace zrk
} // namespace kavri3D
