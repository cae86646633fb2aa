#pragma once
#include <boost/signals2/connection.hpp>
#include <gui/FriendPlayer.h>
#include <util/XmlConfigHelper.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The player's friend roster for the friends screen: friends, blacklist and the others
/// ("anous"), refilled whenever the roster is loaded anew after the screen asked once.
class MyFriendCallbackEvent : public BaseEvent {
public:
    MyFriendCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~MyFriendCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MyFriend; }
    virtual void onRosterLoaded();

    bool isSubscribed() const { return mRosterConnection.connected(); }
    /// One roster entry as the screen shows it, numbered `index`.
    static gui::FriendPlayer friendOf(const core::XmlConfigHelper& item, int index);

private:
    boost::signals2::scoped_connection mRosterConnection;
};

} // namespace zrk
} // namespace kavri3D
