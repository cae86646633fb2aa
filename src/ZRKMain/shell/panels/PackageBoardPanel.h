#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The backpack: item icons, bag list, outfit list, battle information and slot exchange.
class PackageBoardPanel : public ZRKPanel {
public:
    static const int kKind = 12;

    explicit PackageBoardPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
