#pragma once
#include <memory>
#include <string>
#include <data/ZRKRequestOwner.h>
#include <gui/RoleState.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// "Create" on the creation screen: creates the character on the server with its nickname,
/// sex and look, registers the look as its default, and then ("goCreate" false) leads the new
/// player on. One creation at a time.
class CreateCharEvent : public BaseEvent {
public:
    CreateCharEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~CreateCharEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::CreateChar; }

    /// The creation's reply.
    void createChar(bool error, const std::string& text);
    /// The default look's registration's reply.
    void regDefState(bool error, const std::string& text);
    /// Runs once the GUI resources are present: on to the tutorial battle (or, while it is not
    /// there, the area choice).
    void onResourcesReady();

    bool getRet() const { return mRet; }
    bool isBusy() const { return mStage != Idle; }

private:
    enum Stage { Idle, Creating, Registering };
    void sendRegistration();
    void fail(const std::string& text);

    gui::RoleState mChoice;
    bool mRet = false;
    Stage mStage = Idle;
    bool mCreated = false; // the server holds the character (its look may still be unregistered)
    std::string mNickname;
    unsigned mResourceWait = 0; // the resource wait that counts
    ZRKRequestOwner mRequests;  // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
