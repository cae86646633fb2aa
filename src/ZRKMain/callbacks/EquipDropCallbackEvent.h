#pragma once
#include "callbacks/BagActionEvent.h"

namespace kavri3D {
namespace zrk {

/// Recycles the items of a list of bag slots ("slots"), after the player confirms ("text", or the
/// game's own question).
class EquipDropCallbackEvent : public BagActionEvent {
public:
    EquipDropCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EquipDropCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipDrop; }
    /// The answer: the first button recycles the slots bound when the box opened, as long as the
    /// bag is still the one it opened on.
    void onConfirm(core::DialogBoxResult& result, const std::string& text);
    void onReply(bool error, const std::string& text);

private:
    std::string mRequestText;
};

} // namespace zrk
} // namespace kavri3D
