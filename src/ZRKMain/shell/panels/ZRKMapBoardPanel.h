#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The map board; the map events belong to the room screens.
class ZRKMapBoardPanel : public ZRKPanel {
public:
    static const int kKind = 10;

    explicit ZRKMapBoardPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
