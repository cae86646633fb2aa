#include "events/HallFriendListRefeshEvent.h"

#include <data/ZRKServerRequest.h>
#include <gui/RoleAttr.h>
#include <vector>
#include <yake/Vector.h>

#include "events/HallFriendListMgr.h"
#include "events/fillRoleAttr.h"

namespace kavri3D {
namespace zrk {

HallFriendListRefeshEvent::HallFriendListRefeshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

gui::ParamList* HallFriendListRefeshEvent::fillParams()
{
    clearParams();
    std::vector<gui::RoleAttr> roles;
    yake::Vector<std::string> members;
    if (HallFriendListMgr* manager = HallFriendListMgr::instance()) {
        roles.reserve(manager->avatars().size());
        for (const core::AvatarPtr& avatar : manager->avatars()) {
            gui::RoleAttr attr;
            fillRoleAttr(attr, avatar->getUserSettings());
            attr.member_name = avatar->getID();
            roles.push_back(attr);
        }
        members = manager->userNames();
    }
    addCollection("roles", roles);
    addCollection("members", members);
    return paramList();
}

void HallFriendListRefeshEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("uid_lst", params);
    const yake::Vector<std::string>* uids = node ? boost::any_cast<yake::Vector<std::string>>(&node->value) : nullptr;
    if (!uids)
        return;
    mRequests.track(ZRKServerRequest::queryMembers(
        *uids, mRequests.guard([this](bool error, const std::string& text) { onMembersReply(error, text); })));
}

void HallFriendListRefeshEvent::onMembersReply(bool error, const std::string&)
{
    if (!error && HallFriendListMgr::rebuildFromZone())
        raiseEvent(HallFriendListMgr::refreshIdOfZone());
}

} // namespace zrk
} // namespace kavri3D
