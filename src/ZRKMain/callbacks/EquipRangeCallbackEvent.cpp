#include "callbacks/EquipRangeCallbackEvent.h"

#include <data/ZRKUserRequest.h>

#include "callbacks/RefusalBox.h"

namespace kavri3D {
namespace zrk {

EquipRangeCallbackEvent::EquipRangeCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BagActionEvent(page, dispatcher)
{
}

EquipRangeCallbackEvent::~EquipRangeCallbackEvent() = default;

void EquipRangeCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKUserRequest::bagRange(std::string(), replyTo(this, &EquipRangeCallbackEvent::onReply)));
}

void EquipRangeCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error)
        RefusalBox::show(text); // the bag stays as it was, and says why
    else
        raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
