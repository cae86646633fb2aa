#include "shell/panels/ZRKLoginPanel.h"

#include "callbacks/AudioSettingChangedCallbackEvent.h"
#include "events/ChooseServerLoadingEvent.h"
#include "events/DefStateEvent.h"
#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "events/LoginLoadingEvent.h"
#include "events/MessageBoxShowEvent.h"
#include "events/ShowHelpEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKLoginPanel::ZRKLoginPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKLoginPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<ChooseServerLoadingEvent>(),
        event<LoginLoadingEvent>(),
        event<LoginGoEvent>(),
        event<MessageBoxShowEvent>(),
        event<ShowHelpEvent>(),
        event<DefStateEvent>(),
        event<AudioSettingChangedCallbackEvent>(),
        event<ExitEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
