#pragma once
#include <bitset>
#include <memory>
#include <boost/signals2/connection.hpp>
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
class ISession;
}
namespace zrk {

/// The log-in itself: remembers the name, logs in through the session, loads the master data
/// and the libraries, asks for the player's information, default look and ten lists, and
/// then sends the player to character creation, the newbie battle or the area choice.
/// One log-in at a time; replies of an earlier attempt never finish a later one.
class LoginGoEvent : public BaseEvent {
public:
    LoginGoEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~LoginGoEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::LoginGo; }

    /// A log-in is under way (from the button until the player is sent on or it fails).
    bool isBusy() const { return mStage != Idle; }

    // Replies, each tagged with the attempt it belongs to.
    void onLogin(unsigned attempt, core::ISession* session, int code);
    void onInfoReply(unsigned attempt, bool error, const std::string& text, int step);
    void onBatchReply(unsigned attempt, bool error, const std::string& text, int step);
    void finishLogin(unsigned attempt);
    void onConnectionChanged(core::ISession* session, int state);
    /// Ends the attempt; `ask` false (or an auto-login) offers to quit instead of trying again.
    void onLoginFailed(const std::string& text, bool ask);

private:
    enum Stage { Idle, WaitSession, WaitInfo, WaitDefState, WaitBatch, WaitResources };
    static const int kFirstBatchStep = 3;
    static const int kBatchSize = 10;

    bool expects(unsigned attempt, Stage stage) const { return attempt == mAttempt && mStage == stage; }
    /// Tracks a sent request; false when it could not be sent (no game-data library).
    bool sent(long handle);
    void sendBatch();
    /// Forgets the attempt: its requests are cancelled and its late replies ignored.
    void endAttempt();
    void teleport(const std::string& state);

    std::string mUserName;
    std::string mPassword; // only between reading it and handing it to the session
    bool mRet = false;
    bool mHasRole = false;
    int mReplyCount = 0;
    boost::signals2::scoped_connection mConnection;
    Stage mStage = Idle;
    unsigned mAttempt = 0;
    std::bitset<kFirstBatchStep + kBatchSize> mBatchSeen;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
