#pragma once
#include <boost/signals2/connection.hpp>
#include "callbacks/ForgeEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// The forge's mix: the second item passes the bonuses the mix type names to the first, and
/// is used up. Mode 3 asks the player first and then performs; one mix at a time.
class EquipMixCallbackEvent : public ForgeEvent {
public:
    EquipMixCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EquipMixCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipMix; }
    /// The confirmation's answer: the first button performs the mix of the text bound when the
    /// box opened, as long as the bag is still the one it opened on.
    virtual void onConfirm(core::DialogBoxResult& result, const std::string& text);
    virtual void onPreviewReply(bool error, const std::string& text);
    virtual void onPerformReply(bool error, const std::string& text);

private:
    long mBoxInventoryTime = 0;
    boost::signals2::scoped_connection mBoxConnection;
};

} // namespace zrk
} // namespace kavri3D
