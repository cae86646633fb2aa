#include "callbacks/EvtUserFunItemCallback.h"

#include <boost/bind/bind.hpp>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

EvtUserFunItemCallback::EvtUserFunItemCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BagActionEvent(page, dispatcher)
{
}

EvtUserFunItemCallback::~EvtUserFunItemCallback() = default;

gui::ParamList* EvtUserFunItemCallback::fillParams() { return fillOutcome(ZRKUserRequest::getUseFunItemInfo()); }

void EvtUserFunItemCallback::callback(gui::ParamHandle params)
{
    int slot = 0, type = 0;
    std::string param;
    if (mBusy || !readInt("slot", params, slot) || !readOptional("fun_type", params, type) ||
        !readOptional("fun_param", params, param))
        return;
    Json::Value use(Json::objectValue);
    use["slot"] = slot;
    use["type"] = type;
    use["param"] = param;
    Json::Value list(Json::arrayValue);
    list.append(use);
    mRequestText = ZRKParamText::makeQuoted(list); // this one request keeps its quotes
    mBusy = true;
    if (type == 1) {
        mBusy = ask(ZRKLan::getMsg("msg/skill_clean"),
                    boost::bind(&EvtUserFunItemCallback::onConfirm, this, _1, mRequestText), core::Frame::kQuestionBox);
        return;
    }
    send(mRequestText);
}

void EvtUserFunItemCallback::onConfirm(core::DialogBoxResult& result, const std::string& text)
{
    if (result.button != 0 || !bagUnchanged("using the item")) {
        mBusy = false;
        return;
    }
    send(text);
}

void EvtUserFunItemCallback::send(const std::string& text)
{
    mBusy =
        mRequests.track(ZRKUserRequest::queryUseFunItem(text, replyTo(this, &EvtUserFunItemCallback::onReply))) != 0;
}

void EvtUserFunItemCallback::onReply(bool, const std::string&)
{
    mBusy = false;
    raiseEvent(gui::EventId::UserFunItem);
    raiseEvent(gui::EventId::PackageLoading);
}

} // namespace zrk
} // namespace kavri3D
