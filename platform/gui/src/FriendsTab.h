#pragma once
#include <gui/EventId.h>
#include <initializer_list>
#include <string>
#include <vector>
#include <gui/BagData.h>
#include <gui/FriendPlayer.h>
#include <gui/RoleAttr.h>
#include "PlayerTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The player page's friends: the roster's three lists in one table (nickname, level, sex, the
/// mutual mark, the list), a nickname and a list number to add by, and for the picked entry
/// "Move" (to the list number), "Delete" (asked first), "Profile" (his attributes, then his
/// look on the preview and his bag) and "Invite" into the own guild.
class FriendsTab : public PlayerTab {
public:
    static constexpr int kFriendsEventId = EventId::MyFriend;
    static constexpr int kRosterEventId = EventId::RosterOperate;
    static constexpr int kProfileEventId = EventId::InfFriend;
    static constexpr int kPersonalEventId = EventId::InfPersonal;
    static constexpr int kGuildInviteEventId = EventId::GuildInvite;
    static constexpr int kAttrEventId = EventId::PlayerAttrLoading;

    explicit FriendsTab(PlayerPage& page);

    std::string name() const override { return "Friends"; }
    std::string title() const override { return "Friends"; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    /// One row of the table.
    static std::vector<std::string> rowOf(const FriendPlayer& f, const char* list);
    /// The entries as shown, in table order.
    const std::vector<FriendPlayer>& entries() const { return mEntries; }

private:
    /// The entry of the picked row; null for none.
    const FriendPlayer* picked() const;
    std::string typed(const char* widget) const;
    /// Hands the values to the event's callback (the page's values replaced by them).
    void send(int eventId, std::initializer_list<ParamNode> values);
    void add();
    void move();
    void remove();
    void profile();
    void invite();
    void showRoster();
    void showProfile();

    std::vector<FriendPlayer> mEntries;
    std::vector<std::string> mLists; ///< each entry's list, as shown
    RoleAttr mProfile;               ///< the attributes 72 reads (the GUI keeps its record)
    bool mHasProfile = false;
    std::vector<BagData> mProfileBag;
    int mOwnGuild = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
