#pragma once
#include "callbacks/ForgeEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// The forge's enchase: gems set into an item's holes, one entry per hole (a gem's bag slot,
/// or 0 or less to leave the hole). One enchase at a time.
class EquipEnchaseCallbackEvent : public ForgeEvent {
public:
    EquipEnchaseCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EquipEnchaseCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipEnchase; }
    /// Kept beside the mix's in the slot order; the enchase asks nothing, so no box calls it.
    virtual void onConfirm(core::DialogBoxResult& result, const std::string& text);
    virtual void onPreviewReply(bool error, const std::string& text);
    virtual void onPerformReply(bool error, const std::string& text);
};

} // namespace zrk
} // namespace kavri3D
