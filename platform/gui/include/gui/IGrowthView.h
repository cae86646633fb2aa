#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

/// The GUI's notice of the player's growth: a new level or a new rank.
class IGrowthView {
public:
    virtual ~IGrowthView() = default;
    /// `level` true: the value is the new level; false: the new rank.
    virtual void showGrowth(int value, bool level) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
