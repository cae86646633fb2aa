#pragma once
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The quest screen's refresh: the quest library and the player's quests are asked for afresh,
/// and 87 is raised once they are in (the screen reads them from the quest library).
class MessionLoadCallbackEvent : public BaseEvent {
public:
    MessionLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~MessionLoadCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MessionLoad; }
    void onRefreshed();

private:
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
