#include "events/AreaRandomMembersEvent.h"

#include <core/AvatarManager.h>
#include <core/ClientStateTable.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/RoleAttr.h>
#include <vector>

#include "events/fillRoleAttr.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

AreaRandomMembersEvent::AreaRandomMembersEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* AreaRandomMembersEvent::fillParams()
{
    clearParams();
    std::vector<gui::RoleAttr> roles;
    ZRKServer* server = getZRKServer();
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    if (server && avatars) {
        const std::vector<std::string>& names = server->getZoneRandomMembers();
        roles.reserve(names.size());
        for (const std::string& name : names) {
            core::AvatarPtr avatar = avatars->findAvatar(name);
            if (!avatar)
                continue;
            gui::RoleAttr attr;
            fillRoleAttr(attr, avatar->getUserSettings());
            attr.member_name = name;
            roles.push_back(attr);
        }
    }
    addCollection("roles", roles);
    return paramList();
}

void AreaRandomMembersEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::queryRandomAsList(
        yake::Vector<std::pair<std::string, std::string>>(),
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void AreaRandomMembersEvent::onReply(bool error, const std::string&)
{
    // Only a room screen shows the suggestions. The area is one, though the player stands in
    // no server room there until he enters a zone.
    if (!error && (ZRKRoomRequest::getRoomState(std::string(), false, false) ||
                   GameServices::currentStateIf(core::ClientStateTable::kArea)))
        raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
