#include "callbacks/ArmStrongLoadCallbackEvent.h"

#include <data/ZRKServerRequest.h>

#include "callbacks/BusinessLoadCallbackEvent.h"

namespace kavri3D {
namespace zrk {

ArmStrongLoadCallbackEvent::ArmStrongLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ArmStrongLoadCallbackEvent::~ArmStrongLoadCallbackEvent() = default;

gui::ParamList* ArmStrongLoadCallbackEvent::fillParams()
{
    clearParams();
    addNode("strlist", BusinessLoadCallbackEvent::shopList(BusinessLoadCallbackEvent::List::Strengthening), 0, 0);
    return paramList();
}

void ArmStrongLoadCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::queryShop(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); }), false));
}

void ArmStrongLoadCallbackEvent::onReply(bool error, const std::string&)
{
    if (!error)
        raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
