#pragma once
#include <boost/signals2/connection.hpp>
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The player's attributes: the current character's record and those of the account's
/// characters; on the player's action it asks the server afresh, dresses the own character in
/// its default look, and from then on follows the player's growth (level and rank effects,
/// the attribute views refilled).
class PlayerAttrLoadingEvent : public BaseEvent {
public:
    PlayerAttrLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~PlayerAttrLoadingEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PlayerAttrLoading; }

    void onUserInfoReply(bool error, const std::string& text);
    void onDefStateReply(bool error, const std::string& text);
    void onAvatarUpdate(const std::string& avatarId, int flags);

    bool isSubscribed() const { return mUpdateConnection.connected(); }

private:
    /// The own user id; empty without a session.
    static std::string ownUid();

    boost::signals2::scoped_connection mUpdateConnection;
    int mLastLevel = -1;
    int mLastRank = -1;
    int mLastNewbieTask = -1;
    std::string mLastAchievement;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
