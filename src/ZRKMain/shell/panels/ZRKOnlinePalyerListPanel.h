#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The hall's player lists (friends and zone members).
class ZRKOnlinePalyerListPanel : public ZRKPanel {
public:
    static const int kKind = 4;

    explicit ZRKOnlinePalyerListPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
