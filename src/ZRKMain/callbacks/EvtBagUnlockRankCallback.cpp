#include "callbacks/EvtBagUnlockRankCallback.h"

#include <boost/bind/bind.hpp>
#include <climits>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <util/JsonText.h>

#include "callbacks/RefusalBox.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

namespace {
// A coefficient text longer than this is no list of six numbers.
const std::size_t kMaxCoefficients = 4096;
// The question names the rank, its cost and what it holds.
const core::Frame::BoxKind kUnlockBox = core::Frame::kQuestionBox.sized(400, 200);
} // namespace

EvtBagUnlockRankCallback::EvtBagUnlockRankCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BagActionEvent(page, dispatcher)
{
}

EvtBagUnlockRankCallback::~EvtBagUnlockRankCallback() = default;

gui::ParamList* EvtBagUnlockRankCallback::fillParams() { return fillOutcome(ZRKUserRequest::getBagUnlockRankInfo()); }

long long EvtBagUnlockRankCallback::price(const std::string& coefficients, long long cur, long long next)
{
    Json::Value c;
    std::string why;
    bool six = coefficients.size() <= kMaxCoefficients && core::JsonText::parse(coefficients, c, why) && c.isArray() &&
               c.size() >= 6;
    for (Json::ArrayIndex i = 0; six && i < 6; ++i)
        six = c[i].isInt();
    // Worked out wide: no coefficient or rank overflows it, and the result is clamped.
    long double v = 0;
    if (six) {
        long double k[6];
        for (Json::ArrayIndex i = 0; i < 6; ++i)
            k[i] = c[i].asInt();
        v = k[0] * next * next + k[1] * cur * cur + k[2] * next + k[3] * cur + k[4] * next * cur + k[5];
    } else {
        v = 3.0L * (static_cast<long double>(next) * next - static_cast<long double>(cur) * cur);
    }
    return v <= 0 ? 0 : v >= INT_MAX ? INT_MAX : static_cast<long long>(v);
}

void EvtBagUnlockRankCallback::callback(gui::ParamHandle params)
{
    int slot = 0, item = 0;
    if (mBusy || !readInt("slot", params, slot) || !readInt("i_id", params, item))
        return;
    mRequestText = slotText(slot);
    const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
    const long long money = pc.getIntVal("pc_money3", 0);
    const long long cur = pc.getIntVal("pc_rank", 0);
    ZRKServer* server = ZRKServerRequest::getServer();
    const long long next = server ? server->getItemLib()->findItem(item).getIntVal("pc_rank", -1) : -1;
    const core::XmlConfigHelper settings = ZRKLan::getConfig();
    // An item with no rank, or a card below the player's rank, is one the server refuses: said
    // at once with its own reason, nothing asked.
    if (next < 0) {
        log(kLogTrace, "item " + std::to_string(item) + " lends no rank: nothing asked");
        RefusalBox::show(ZRKLan::getMsg("item/not_card"));
        return;
    }
    if (next < cur) {
        log(kLogTrace, "rank card " + std::to_string(item) + " is below the player's rank: nothing asked");
        RefusalBox::show(ZRKLan::getMsg("item/rank_low"));
        return;
    }
    const long long cost = price(settings.getStringVal("pc_item/unlock_rank/param", "[]"), cur, next);
    const int days = settings.getIntVal("pc_item/unlock_rank/day", 7);
    if (money < cost) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("warning/title"),
                                  formatMsg(ZRKLan::getMsg("warning/no_enough_guabi2"), {std::to_string(cost)}),
                                  core::Frame::kNoticeBox);
        return;
    }
    const std::string text = formatMsg(
        ZRKLan::getMsg("warning/unlock_rank_cfm"),
        {std::to_string(days), formatMsg(ZRKLan::getMsg("msg/price_medals"), {std::to_string(cost)}),
         ZRKUserRequest::getRankName(static_cast<int>(cur)), ZRKUserRequest::getRankName(static_cast<int>(next))});
    ask(text, boost::bind(&EvtBagUnlockRankCallback::onConfirm, this, _1, mRequestText), kUnlockBox);
}

void EvtBagUnlockRankCallback::onConfirm(core::DialogBoxResult& result, const std::string& text)
{
    if (result.button != 0 || !bagUnchanged("the rank card")) {
        mBusy = false;
        return;
    }
    mBusy = mRequests.track(
                ZRKUserRequest::queryBagUnlockRank(text, replyTo(this, &EvtBagUnlockRankCallback::onReply))) != 0;
}

void EvtBagUnlockRankCallback::onReply(bool, const std::string&)
{
    mBusy = false;
    raiseEvent(gui::EventId::BagUnlockRank);
    raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
