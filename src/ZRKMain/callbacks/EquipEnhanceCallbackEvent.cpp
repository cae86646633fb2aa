#include "callbacks/EquipEnhanceCallbackEvent.h"

#include <data/ZRKEnhanceRequest.h>
#include <json/json.h>
#include <vector>

namespace kavri3D {
namespace zrk {

EquipEnhanceCallbackEvent::EquipEnhanceCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ForgeEvent(page, dispatcher)
{
}

EquipEnhanceCallbackEvent::~EquipEnhanceCallbackEvent() = default;

gui::ParamList* EquipEnhanceCallbackEvent::fillParams()
{
    return fill({{"can", "can", Field::Bool},
                 {"flag", "", Field::Mode},
                 {"money", "money", Field::Int},
                 {"rate", "rate", Field::Float},
                 {"rate1", "rate1", Field::Float},
                 {"rate2", "rate2", Field::Float},
                 {"rate3", "rate3", Field::Float}},
                &ZRKEnhanceRequest::getIfEnhanceInfo, {{"flag", "", Field::Mode}}, &ZRKEnhanceRequest::getEnhanceInfo);
}

void EquipEnhanceCallbackEvent::callback(gui::ParamHandle params)
{
    if (!readParam("flags", params, mMode))
        return;
    std::vector<int> stones;
    if (!readParam("stones", params, stones) || stones.empty())
        return;
    int prosym = -1, luksym = -1, pciid = 0;
    if (!readParam("prosym", params, prosym) || !readParam("luksym", params, luksym) ||
        !readParam("pciid", params, pciid))
        return;
    Json::Value request(Json::objectValue);
    request["pci_slot"] = pciid;
    Json::Value& enhance = request["eh_stone"] = Json::Value(Json::arrayValue);
    for (int stone : stones)
        enhance.append(stone);
    request["luck_stone"] = slotList(luksym);
    if (mMode == 1) {
        send(1, &ZRKEnhanceRequest::queryIfEnhance, requestText(request),
             replyTo(this, &EquipEnhanceCallbackEvent::onPreviewReply));
    } else if (mMode == 2) {
        request["safe_stone"] = slotList(prosym);
        send(2, &ZRKEnhanceRequest::queryEnhance, requestText(request),
             replyTo(this, &EquipEnhanceCallbackEvent::onPerformReply));
    }
}

void EquipEnhanceCallbackEvent::onPreviewReply(bool error, const std::string& text) { answered(1, error, text); }

void EquipEnhanceCallbackEvent::onPerformReply(bool error, const std::string& text) { answered(2, error, text); }

} // namespace zrk
} // namespace kavri3D
