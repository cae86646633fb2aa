#include "events/HallFriendListMgr.h"

#include <core/AvatarManager.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
HallFriendListMgr* gLive = nullptr;
}

HallFriendListMgr::HallFriendListMgr(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
    gLive = this;
}

HallFriendListMgr::~HallFriendListMgr()
{
    if (gLive == this)
        gLive = nullptr;
}

HallFriendListMgr* HallFriendListMgr::instance() { return gLive; }

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
    return server && server->isArenaZone() ? 34 : 30;
}

} // namespace zrk
} // namespace kavri3D
