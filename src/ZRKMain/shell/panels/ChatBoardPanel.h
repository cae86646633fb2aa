#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The chat board; its page has no events of its own.
class ChatBoardPanel : public ZRKPanel {
public:
    static const int kKind = 3;

    explicit ChatBoardPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
