#include "callbacks/EvtGuildInviteCallback.h"

#include <core/Frame.h>
#include <data/ZRKGuildRequest.h>
#include <data/ZRKParamText.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

EvtGuildInviteCallback::EvtGuildInviteCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

EvtGuildInviteCallback::~EvtGuildInviteCallback() = default;

gui::ParamList* EvtGuildInviteCallback::fillParams() { return emptyParams(); }

std::string EvtGuildInviteCallback::wantText(int gid, int pcid)
{
    Json::Value v(Json::objectValue);
    v["gid"] = gid;
    v["pcid"] = pcid;
    v["wt"] = 1;
    return ZRKParamText::makeQuoted(v);
}

void EvtGuildInviteCallback::callback(gui::ParamHandle params)
{
    if (mBusy)
        return;
    int gid = 0, pcid = 0;
    if (!readOptional("gid", params, gid) || !readOptional("pcid", params, pcid) || gid == 0 || pcid == 0)
        return;
    mBusy = mRequests.track(ZRKGuildRequest::queryWant(
                wantText(gid, pcid),
                mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); }))) != 0;
}

void EvtGuildInviteCallback::onReply(bool error, const std::string& text)
{
    mBusy = false;
    const ZRKGuildIQ* guild = ZRKGuildRequest::getIQ(true);
    core::Frame* frame = GameServices::frame();
    if (!guild || !frame)
        return;
    const core::XmlConfigHelper outcome = guild->getError();
    const int code = outcome.getIntVal("ERR", 0);
    // A failed request never shows success: without the server's word its own text is shown.
    if (code == 0 && !error)
        frame->messageBoxText(ZRKLan::getMsg("warning/title"), ZRKLan::getMsg("msg/invite_win"),
                              core::Frame::kNoticeBox);
    else
        frame->messageBoxText(ZRKLan::getMsg("msg/lose"), code != 0 ? outcome.getStringVal("MSG", "") : text,
                              core::Frame::kNoticeBox);
}

} // namespace zrk
} // namespace kavri3D
