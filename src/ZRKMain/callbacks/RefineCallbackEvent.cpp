#include "callbacks/RefineCallbackEvent.h"

#include <data/ZRKEnhanceRequest.h>
#include <json/json.h>
#include <vector>

namespace kavri3D {
namespace zrk {

RefineCallbackEvent::RefineCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ForgeEvent(page, dispatcher)
{
}

RefineCallbackEvent::~RefineCallbackEvent() = default;

gui::ParamList* RefineCallbackEvent::fillParams()
{
    return fill({{"flag", "", Field::Mode},
                 {"can", "can", Field::Bool},
                 {"desc", "desc", Field::Text},
                 {"money", "money", Field::Int},
                 {"rate", "rate", Field::Float},
                 {"rate1", "rate1", Field::Float},
                 {"rate2", "rate2", Field::Float},
                 {"rate3", "rate3", Field::Float}},
                &ZRKEnhanceRequest::getIfRefineInfo, {{"flag", "", Field::Mode}, {"slot", "slot", Field::Int}},
                &ZRKEnhanceRequest::getRefineInfo);
}

void RefineCallbackEvent::callback(gui::ParamHandle params)
{
    if (mBusy)
        return;
    std::vector<int> stones;
    if (!readParam("flags", params, mMode) || !readParam("stones", params, stones) || stones.size() != 3)
        return;
    int luck = -1;
    if (!readParam("luk_slot", params, luck))
        return;
    Json::Value request(Json::objectValue);
    Json::Value& metal = request["metal"] = Json::Value(Json::arrayValue);
    for (int stone : stones)
        metal.append(stone);
    request["luck_stone"] = slotList(luck);
    // Busy only while a request is out: another mode sends nothing and leaves the event ready.
    if (mMode == 1)
        mBusy = send(1, &ZRKEnhanceRequest::queryIfRefine, requestText(request),
                     replyTo(this, &RefineCallbackEvent::onPreviewReply));
    else if (mMode == 2)
        mBusy = send(2, &ZRKEnhanceRequest::queryRefine, requestText(request),
                     replyTo(this, &RefineCallbackEvent::onPerformReply));
}

void RefineCallbackEvent::onPreviewReply(bool error, const std::string& text) { answered(1, error, text); }

void RefineCallbackEvent::onPerformReply(bool error, const std::string& text) { answered(2, error, text); }

} // namespace zrk
} // namespace kavri3D
