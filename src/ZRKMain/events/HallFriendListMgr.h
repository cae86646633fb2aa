#pragma once
#include <core/Avatar.h>
#include <string>
#include <util/Singleton.h>
#include <vector>
#include <yake/Vector.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The hall's players: the avatars of the current zone's room and every member's user name.
/// Registered like an event (no id reaches it); at most one is live.
class HallFriendListMgr : public BaseEvent, public Singleton<HallFriendListMgr> {
public:
    HallFriendListMgr(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~HallFriendListMgr() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle) override {}
    int getEventId() override { return gui::EventId::HallFriendListMgr; }

    /// The live manager, or null.
    static HallFriendListMgr* instance() { return getSingletonPtr(); }

    std::vector<core::AvatarPtr>& avatars() { return mAvatars; }
    yake::Vector<std::string>& userNames() { return mUserNames; }
    void addAvatar(const core::AvatarPtr& avatar) { mAvatars.push_back(avatar); }
    void clearAvatars() { mAvatars.clear(); }

    /// Refills the live manager from the current zone's room, in its member order; false (the
    /// lists kept) without a session, a server or a live manager.
    static bool rebuildFromZone();
    /// The list the GUI refills after a rebuild: 34 in an arena zone, else 30.
    static int refreshIdOfZone();

private:
    std::vector<core::AvatarPtr> mAvatars;
    yake::Vector<std::string> mUserNames;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::HallFriendListMgr);
