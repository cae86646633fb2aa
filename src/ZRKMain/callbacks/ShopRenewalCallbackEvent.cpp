#include "callbacks/ShopRenewalCallbackEvent.h"

#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <gui/ShopData.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

ShopRenewalCallbackEvent::ShopRenewalCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopRenewalCallbackEvent::~ShopRenewalCallbackEvent() = default;

void ShopRenewalCallbackEvent::callback(gui::ParamHandle params)
{
    gui::ShopData record;
    int slot = 0, count = 0;
    if (!readParam("prices", params, record) || !readParam("pci_slot", params, slot) ||
        !readParam("pci_num", params, count))
        return;
    if (record.chosen < 0 || static_cast<std::size_t>(record.chosen) >= record.prices.size())
        return; // no option picked: nothing to renew at
    const gui::ShopPrice& option = record.prices[static_cast<std::size_t>(record.chosen)];
    Json::Value line(Json::objectValue);
    line["pci_slot"] = slot;
    line["s_expire"] = option.s_expire;
    line["s_id"] = option.s_id;
    line["s_num"] = count;
    Json::Value lines(Json::arrayValue);
    lines.append(line);
    mRequests.track(ZRKUserRequest::shopRenewval(
        ZRKParamText::make(lines),
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void ShopRenewalCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("error/renew"), text, core::Frame::kNoticeBox);
        // The screen that asked ends its "renewing" line; the box says why.
        raiseEvent(getEventId());
        return;
    }
    raiseEvent(gui::EventId::PlayerAttrRefresh);
    raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
