#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The area choice screen, with the quest, forge, bag-box and web-view events of the lobby.
class ZRKAreaPanel : public ZRKPanel {
public:
    static const int kKind = 0;

    explicit ZRKAreaPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
