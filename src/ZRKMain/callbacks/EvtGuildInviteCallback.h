#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Asks a guild ("gid") to take a player ("pcid") in, and tells the player in a box whether it
/// worked. One invitation at a time.
class EvtGuildInviteCallback : public BaseEvent {
public:
    EvtGuildInviteCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EvtGuildInviteCallback() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::GuildInvite; }
    virtual void onReply(bool error, const std::string& text);

    bool busy() const { return mBusy; }
    /// The request text: {"gid":..,"pcid":..,"wt":1} with its quotes kept.
    static std::string wantText(int gid, int pcid);

private:
    bool mBusy = false;
    std::string mSpare;        ///< not used
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
