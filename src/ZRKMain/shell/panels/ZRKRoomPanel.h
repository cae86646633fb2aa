#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The room view: seats, teams, readiness, start and the room's prop shop.
class ZRKRoomPanel : public ZRKPanel {
public:
    static const int kKind = 9;

    explicit ZRKRoomPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
