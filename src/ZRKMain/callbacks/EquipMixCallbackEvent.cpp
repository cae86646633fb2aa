#include "callbacks/EquipMixCallbackEvent.h"

#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKEnhanceRequest.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

EquipMixCallbackEvent::EquipMixCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ForgeEvent(page, dispatcher)
{
}

EquipMixCallbackEvent::~EquipMixCallbackEvent() = default;

gui::ParamList* EquipMixCallbackEvent::fillParams()
{
    return fill({{"flag", "", Field::Mode},
                 {"can", "can", Field::Bool},
                 {"money", "money", Field::Int},
                 {"rate", "rate", Field::Float},
                 {"rate_f", "rate_f", Field::Int},
                 {"rate1", "rate1", Field::Float},
                 {"rate2", "rate2", Field::Float},
                 {"rate3", "rate3", Field::Float}},
                &ZRKEnhanceRequest::getIfEquipMixInfo, {{"flag", "", Field::Mode}},
                &ZRKEnhanceRequest::getEquipMixInfo);
}

void EquipMixCallbackEvent::callback(gui::ParamHandle params)
{
    if (mBusy)
        return;
    int equip = 0, type = 0, second = 0, luck = -1;
    if (!readParam("flags", params, mMode) || !readParam("equip_slot", params, equip) ||
        !readParam("mix_type", params, type) || !readParam("op_slot", params, second) ||
        !readParam("luk_slot", params, luck))
        return;
    if (equip <= 0 || type <= 0 || second <= 0)
        return;
    Json::Value request(Json::arrayValue);
    for (int v : {equip, type, second, luck})
        request.append(v);
    const std::string text = requestText(request);
    if (mMode == 1) {
        mBusy = send(1, &ZRKEnhanceRequest::queryIfMix, text, replyTo(this, &EquipMixCallbackEvent::onPreviewReply));
    } else if (mMode == 2) {
        mBusy = send(2, &ZRKEnhanceRequest::queryMix, text, replyTo(this, &EquipMixCallbackEvent::onPerformReply));
    } else if (mMode == 3) {
        mMode = 2; // the confirmed mix reads the perform view
        core::Frame* frame = GameServices::frame();
        if (!frame) {
            log(kLogTrace, "no frame to ask before mixing: nothing sent");
            return;
        }
        // A sort of the bag while the box is open would mix other items: the answer checks it.
        mBoxInventoryTime = ZRKUserRequest::getInventoryTime();
        mBusy = true;
        mBoxConnection = frame->messageBox2(
            "warning/title", "warning/mix_cfm",
            mRequests.guard(boost::bind(&EquipMixCallbackEvent::onConfirm, this, _1, text)), core::Frame::kQuestionBox);
    }
}

void EquipMixCallbackEvent::onConfirm(core::DialogBoxResult& result, const std::string& text)
{
    if (result.button != 0) {
        mBusy = false; // refused, or closed unanswered
        return;
    }
    if (ZRKUserRequest::getInventoryTime() != mBoxInventoryTime) {
        log(kLogTrace, "the bag changed while the mix was asked: nothing mixed");
        mBusy = false;
        // Said on the forge's screen, like a refusal of the server.
        answered(2, true, ZRKLan::getMsg("forge/bag_changed"));
        return;
    }
    mBusy = send(2, &ZRKEnhanceRequest::queryMix, text, replyTo(this, &EquipMixCallbackEvent::onPerformReply));
}

void EquipMixCallbackEvent::onPreviewReply(bool error, const std::string& text) { answered(1, error, text); }

void EquipMixCallbackEvent::onPerformReply(bool error, const std::string& text) { answered(2, error, text); }

} // namespace zrk
} // namespace kavri3D
