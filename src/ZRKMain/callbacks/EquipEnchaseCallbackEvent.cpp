#include "callbacks/EquipEnchaseCallbackEvent.h"

#include <core/DialogBoxResult.h>
#include <data/ZRKEnhanceRequest.h>
#include <json/json.h>
#include <vector>

namespace kavri3D {
namespace zrk {

EquipEnchaseCallbackEvent::EquipEnchaseCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ForgeEvent(page, dispatcher)
{
}

EquipEnchaseCallbackEvent::~EquipEnchaseCallbackEvent() = default;

gui::ParamList* EquipEnchaseCallbackEvent::fillParams()
{
    return fill({{"flag", "", Field::Mode},
                 {"can", "can", Field::Bool},
                 {"money", "money", Field::Int},
                 {"ecf", "ecf", Field::Text}},
                &ZRKEnhanceRequest::getIfEnchaseInfo, {{"flag", "", Field::Mode}}, &ZRKEnhanceRequest::getEnchaseInfo);
}

void EquipEnchaseCallbackEvent::callback(gui::ParamHandle params)
{
    if (mBusy)
        return;
    int equip = 0;
    std::vector<int> stones;
    if (!readParam("flags", params, mMode) || !readParam("equip_slot", params, equip) ||
        !readParam("stones", params, stones) || stones.size() != 5)
        return;
    Json::Value request(Json::arrayValue);
    request.append(equip);
    for (int stone : stones)
        request.append(stone);
    if (mMode == 1)
        mBusy = send(1, &ZRKEnhanceRequest::queryIfEnchase, requestText(request),
                     replyTo(this, &EquipEnchaseCallbackEvent::onPreviewReply));
    else if (mMode == 2)
        mBusy = send(2, &ZRKEnhanceRequest::queryEnchase, requestText(request),
                     replyTo(this, &EquipEnchaseCallbackEvent::onPerformReply));
}

void EquipEnchaseCallbackEvent::onConfirm(core::DialogBoxResult& result, const std::string&)
{
    if (result.button != 0)
        mBusy = false;
}

void EquipEnchaseCallbackEvent::onPreviewReply(bool error, const std::string& text) { answered(1, error, text); }

void EquipEnchaseCallbackEvent::onPerformReply(bool error, const std::string& text) { answered(2, error, text); }

} // namespace zrk
} // namespace kavri3D
