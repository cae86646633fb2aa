#include "callbacks/InfFriendCallbackEvent.h"

#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/RoleAttr.h>

#include "events/fillRoleAttr.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

InfFriendCallbackEvent::InfFriendCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

InfFriendCallbackEvent::~InfFriendCallbackEvent() = default;

gui::ParamList* InfFriendCallbackEvent::fillParams()
{
    clearParams();
    gui::RoleAttr attr;
    fillRoleAttr(attr, ZRKUserRequest::getUserSetting(mUid));
    attr.member_name = mUid;
    addRecord("roleattr", attr);
    return paramList();
}

void InfFriendCallbackEvent::callback(gui::ParamHandle params)
{
    std::string jid;
    if (!findParam("jid", params) || !readParam("jid", params, jid))
        return;
    const ZRKSession* session = GameServices::session();
    mUid = session ? session->undecorateUser(jid) : jid;
    const unsigned asked = ++mAsked;
    mRequests.track(
        ZRKUserRequest::queryUserInfo(mUid, true, mRequests.guard([this, asked](bool error, const std::string& text) {
            if (asked == mAsked)
                onReply(error, text);
        })));
}

void InfFriendCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        log(kLogTrace, text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
