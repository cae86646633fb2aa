#pragma once
#include "events/BaseEvent.h"
#include <data/ZRKRequestOwner.h>
#include <string>

namespace kavri3D {
namespace zrk {

/// The owner's choice of the room's map; in PVE rooms (mode 9) with the map's
/// dungeon index.
class ChangeMapEvent : public BaseEvent {
public:
    ChangeMapEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChangeMap; }
    virtual void changeMapCallback(bool error, const std::string& text);

private:
    int mMapId = -1;
    int mRoomMode = -1;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
