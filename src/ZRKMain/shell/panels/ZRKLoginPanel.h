#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The log-in screen, with the server choice, help, message box, audio and quit events.
class ZRKLoginPanel : public ZRKPanel {
public:
    static const int kKind = 6;

    explicit ZRKLoginPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
