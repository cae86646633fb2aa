#include "callbacks/ShopPayCallbackEvent.h"

#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "callbacks/RefusalBox.h"
#include "callbacks/ShopRecords.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const long long kMost = 0x7FFFFFFF;
} // namespace

ShopPayCallbackEvent::ShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopPayCallbackEvent::~ShopPayCallbackEvent() = default;

gui::ParamList* ShopPayCallbackEvent::fillParams()
{
    clearParams();
    addNode("buyed", ShopRecords::buyedList(), 0, 0);
    return paramList();
}

bool ShopPayCallbackEvent::amountOf(const gui::ShopData& line, long long& amount) const
{
    if (line.chosen < 0 || static_cast<std::size_t>(line.chosen) >= line.prices.size() || line.item.pci_num < 1) {
        log(kLogTrace, "a line without its option or pieces: nothing bought");
        return false;
    }
    amount = static_cast<long long>(line.prices[static_cast<std::size_t>(line.chosen)].s_price) * line.item.pci_num;
    if (amount < 0 || amount > kMost) {
        log(kLogTrace, "a line costs past 32 bits: nothing bought");
        return false;
    }
    return true;
}

bool ShopPayCallbackEvent::writeLines(const Cart& lines, std::string& text) const
{
    Json::Value list(Json::arrayValue);
    for (const gui::ShopData& line : lines) {
        long long amount = 0;
        if (!amountOf(line, amount))
            return false;
        const gui::ShopPrice& option = line.prices[static_cast<std::size_t>(line.chosen)];
        Json::Value l(Json::objectValue);
        l["s_id"] = option.s_id;
        l["s_expire"] = option.s_expire;
        l["s_num"] = line.item.pci_num;
        list.append(l);
    }
    text = ZRKParamText::make(list);
    return true;
}

bool ShopPayCallbackEvent::readItem(const char* name, gui::ParamHandle params, gui::ShopData& item, std::string& text,
                                    long long& amount)
{
    gui::ShopData given;
    if (!readParam(name, params, given))
        return false;
    item = given;
    return amountOf(item, amount) && writeLines(Cart{item}, text);
}

void ShopPayCallbackEvent::ask(const std::string& text, const std::string& question, const Send& send, const Cost& cost)
{
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        log(kLogTrace, "no frame to ask before buying: nothing bought");
        return;
    }
    frame->messageBox2("warning/title", question,
                       mRequests.guard([this, text, send, cost](core::DialogBoxResult& result) {
                           onConfirm(result.button, text, send, cost);
                       }),
                       core::Frame::kQuestionBox);
}

void ShopPayCallbackEvent::onConfirm(int button, const std::string& text, const Send& send, const Cost& cost)
{
    if (button != 0)
        return;
    const MoneyFall before = MoneyFall::held();
    mRequests.track(send(text, mRequests.guard([this, cost, before](bool error, const std::string& reply) {
        onReply(error, reply, cost, before);
    })));
}

void ShopPayCallbackEvent::onReply(bool error, const std::string& text, const Cost& cost, const MoneyFall& before)
{
    if (error) {
        refused(text);
        return;
    }
    // What the player was charged: the answer brought his money as the server now holds it.
    showBox(cost(MoneyFall::since(before)));
    raiseEvent(getEventId());
}

void ShopPayCallbackEvent::refused(const std::string& text) { RefusalBox::show(text); }

void ShopPayCallbackEvent::showBox(const std::string& text)
{
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg("warning/title"), text, core::Frame::kNoticeBox);
}

} // namespace zrk
} // namespace kavri3D
