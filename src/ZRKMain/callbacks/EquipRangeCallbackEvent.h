#pragma once
#include "callbacks/BagActionEvent.h"

namespace kavri3D {
namespace zrk {

/// Sorts the bag on the server; the bag is shown again once it is sorted.
class EquipRangeCallbackEvent : public BagActionEvent {
public:
    EquipRangeCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EquipRangeCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipRange; }
    void onReply(bool error, const std::string& text);
};

} // namespace zrk
} // namespace kavri3D
