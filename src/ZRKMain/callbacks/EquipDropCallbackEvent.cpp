#include "callbacks/EquipDropCallbackEvent.h"

#include <boost/any.hpp>
#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <vector>

#include "callbacks/RefusalBox.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

EquipDropCallbackEvent::EquipDropCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BagActionEvent(page, dispatcher)
{
}

EquipDropCallbackEvent::~EquipDropCallbackEvent() = default;

void EquipDropCallbackEvent::callback(gui::ParamHandle params)
{
    std::vector<int> slots;
    if (!findParam("slots", params) || !readParam("slots", params, slots) || slots.empty())
        return;
    Json::Value list(Json::arrayValue);
    for (int slot : slots)
        list.append(slot);
    mRequestText = ZRKParamText::make(list);
    std::string text = ZRKLan::getMsg("warning/recycle_cfm");
    if (!readOptional("text", params, text))
        return;
    ask(text, boost::bind(&EquipDropCallbackEvent::onConfirm, this, _1, mRequestText), core::Frame::kQuestionBox);
}

void EquipDropCallbackEvent::onConfirm(core::DialogBoxResult& result, const std::string& text)
{
    if (result.button != 0 || !bagUnchanged("recycling"))
        return;
    mRequests.track(ZRKUserRequest::bagDrop(text, replyTo(this, &EquipDropCallbackEvent::onReply)));
}

void EquipDropCallbackEvent::onReply(bool error, const std::string& text)
{
    // A refused recycle still brings the bag as the server holds it.
    if (error)
        RefusalBox::show(text);
    raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
