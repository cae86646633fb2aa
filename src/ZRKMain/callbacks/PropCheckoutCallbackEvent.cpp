#include "callbacks/PropCheckoutCallbackEvent.h"

#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "callbacks/ShopRecords.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

PropCheckoutCallbackEvent::PropCheckoutCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

PropCheckoutCallbackEvent::~PropCheckoutCallbackEvent() = default;

gui::ParamList* PropCheckoutCallbackEvent::fillParams()
{
    clearParams();
    addNode("buyed", ShopRecords::buyedList(), 0, 0);
    return paramList();
}

void PropCheckoutCallbackEvent::callback(gui::ParamHandle params)
{
    std::vector<gui::ShopData> cart;
    if (!readParam("prop", params, cart))
        return;
    Json::Value lines(Json::arrayValue);
    for (const gui::ShopData& line : cart) {
        if (line.chosen < 0 || static_cast<std::size_t>(line.chosen) >= line.prices.size()) {
            log(kLogTrace, "a props line without its option: nothing bought");
            return;
        }
        const gui::ShopPrice& option = line.prices[static_cast<std::size_t>(line.chosen)];
        Json::Value l(Json::objectValue);
        l["s_id"] = option.s_id;
        l["s_expire"] = option.s_expire;
        l["s_num"] = 1; // a room's shop sells props one at a time
        lines.append(l);
    }
    mRequests.track(ZRKUserRequest::shopPropsCheckout(
        ZRKParamText::make(lines),
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void PropCheckoutCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("warning/title"), text, core::Frame::kNoticeBox);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
