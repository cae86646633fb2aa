#pragma once
#include "shell/panels/ZRKPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The hall's room list, with room joining and creation, chat and the map list.
class ZRKRoomListPanel : public ZRKPanel {
public:
    static const int kKind = 8;

    explicit ZRKRoomListPanel(core::CEGUIPanelContainer* container);
    const EventTable& events() const override;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
