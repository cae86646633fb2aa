#pragma once
#include <string>
#include <vector>
#include <data/ZRKRequestOwner.h>
#include <gui/ShopData.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The general shop's list ("shoplist"): every entry on normal sale with at least one price;
/// it also dresses the shop's preview character in the player's own look.
class BusinessLoadCallbackEvent : public BaseEvent {
public:
    BusinessLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~BusinessLoadCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::BusinessLoad; }

    void onReply(bool error, const std::string& text);
    void onDefState(bool error, const std::string& text);

    /// Which shop list a catalogue entry goes to.
    enum class List { General, Strengthening };
    /// The records of the catalogue the server holds now, for that list, in catalogue order.
    static std::vector<gui::ShopData> shopList(List list);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
