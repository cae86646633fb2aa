#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player's own screens: attributes, friends, shop, bag actions, quests and stat points.
class ZRKPlayerPanel : public ZRKPanel {
public:
    static const int kKind = 7;

    explicit ZRKPlayerPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
