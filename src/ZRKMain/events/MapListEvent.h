#pragma once
#include "events/BaseEvent.h"
#include <data/ZRKMapLib.h>
#include <list>

namespace kavri3D {
namespace zrk {

/// The maps the room's owner may choose for a room mode, as the GUI lists them.
class MapListEvent : public BaseEvent {
public:
    MapListEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MapList; }

private:
    std::list<MapConfig> mMaps;
};

} // namespace zrk
} // namespace kavri3D
