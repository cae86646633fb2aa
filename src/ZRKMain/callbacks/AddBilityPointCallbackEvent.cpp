#include "callbacks/AddBilityPointCallbackEvent.h"

#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>

#include "callbacks/RefusalBox.h"

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
    // A refusal leaves the points where they were, and says why.
    mRequests.track(ZRKUserRequest::addStatsPoint(ZRKParamText::make(points),
                                                  mRequests.guard([](bool error, const std::string& text) {
                                                      if (error)
                                                          RefusalBox::show(text);
                                                  })));
}

} // namespace zrk
} // namespace kavri3D
