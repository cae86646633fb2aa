#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The character creation screen.
class CreateCharPanel : public ZRKPanel {
public:
    static const int kKind = 13;

    explicit CreateCharPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
