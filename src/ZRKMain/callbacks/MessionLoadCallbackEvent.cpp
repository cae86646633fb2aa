#include "callbacks/MessionLoadCallbackEvent.h"

#include <data/ZRKQuestLib.h>
#include <data/ZRKTaskRequest.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

MessionLoadCallbackEvent::MessionLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

MessionLoadCallbackEvent::~MessionLoadCallbackEvent() = default;

void MessionLoadCallbackEvent::callback(gui::ParamHandle)
{
    ZRKQuestLib* quests = ZRKTaskRequest::getQuestLib();
    if (!quests) {
        log(kLogTrace, "no quest library: nothing to refresh");
        return;
    }
    quests->refreshQuest(mRequests.guard([this]() { onRefreshed(); }));
}

void MessionLoadCallbackEvent::onRefreshed() { raiseEvent(getEventId()); }

} // namespace zrk
} // namespace kavri3D
