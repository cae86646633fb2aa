#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The quest settings' id (102): the GUI may call it, but the game keeps no quest settings of its
/// own, so it sends nothing and hands out an empty list.
class MessionSettingCallbackEvent : public BaseEvent {
public:
    MessionSettingCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~MessionSettingCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MessionSetting; }
};

} // namespace zrk
} // namespace kavri3D
