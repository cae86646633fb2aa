#include "events/HallFriendListMgr.h"

#include <core/AvatarManager.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>

#include "services/GameServices.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::HallFriendListMgr);

namespace kavri3D {
namespace zrk {

HallFriendListMgr::HallFriendListMgr(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

HallFriendListMgr::~HallFriendListMgr() = default;

bool HallFriendListMgr::rebuildFromZone()
{
    ZRKSession* session = GameServices::session();
    ZRKServer* server = getZRKServer();
    HallFriendListMgr* manager = instance();
    if (!session || !server || !manager)
        return false;
    const std::string room = session->decorateRoom(server->getCurrentZone().getStringVal("name", ""));
    const core::MsgSiteInfo site = session->getSiteInfo(room);
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    manager->clearAvatars();
    manager->userNames().clear();
    manager->userNames().reserve(site.members.size());
    for (const std::string& member : site.members) {
        const std::string name = session->undecorateRoomUser(member);
        if (core::AvatarPtr avatar = avatars ? avatars->findAvatar(name) : core::AvatarPtr())
            manager->addAvatar(avatar);
        manager->userNames().push_back(name);
    }
    return true;
}

int HallFriendListMgr::refreshIdOfZone()
{
    ZRKServer* server = getZRKServer();
    return server && server->isArenaZone() ? gui::EventId::ArenaFriendListRefesh : gui::EventId::HallFriendListRefesh;
}

} // namespace zrk
} // namespace kavri3D
