#include "callbacks/AddBilityPointCallbackEvent.h"

#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>

namespace kavri3D {
namespace zrk {

AddBilityPointCallbackEvent::AddBilityPointCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

AddBilityPointCallbackEvent::~AddBilityPointCallbackEvent() = default;

void AddBilityPointCallbackEvent::callback(gui::ParamHandle params)
{
    Json::Value points(Json::objectValue);
    for (const char* ability : {"str", "vit", "dex", "luk"}) {
        unsigned amount = 0;
        if (!readParam(ability, params, amount))
            return;
        points[ability] = Json::UInt(amount);
    }
    // No answer is shown: a refusal leaves the points where they were, and the page shows them.
    mRequests.track(ZRKUserRequest::addStatsPoint(ZRKParamText::make(points), ZRKReply()));
}

} // namespace zrk
} // namespace kavri3D
