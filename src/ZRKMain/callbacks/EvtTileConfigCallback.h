#pragma once
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The tile settings screen: raises its id so that the screen fills itself.
class EvtTileConfigCallback : public BaseEvent {
public:
    EvtTileConfigCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override { return paramList(); }
    void callback(gui::ParamHandle) override { raiseEvent(getEventId()); }
    int getEventId() override { return gui::EventId::TileConfig; }
    /// The reply convention's completion; the screen asks nothing of the server.
    virtual void onReply(bool, const std::string&) {}
};

} // namespace zrk
} // namespace kavri3D
