#pragma once
#include "callbacks/ForgeEvent.h"

namespace kavri3D {
namespace zrk {

/// The forge's enhance: previews (1) or performs (2) raising an item's level with enhancement
/// stones, a luck stone and, when performing, a safety stone. No busy guard: the server checks
/// each perform on its own.
class EquipEnhanceCallbackEvent : public ForgeEvent {
public:
    EquipEnhanceCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EquipEnhanceCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipEnhance; }
    virtual void onPreviewReply(bool error, const std::string& text);
    virtual void onPerformReply(bool error, const std::string& text);
};

} // namespace zrk
} // namespace kavri3D
