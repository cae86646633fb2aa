#pragma once
#include <core/Lifetime.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Fills the log-in screen with the remembered player name and the remember-name flag, and
/// once the scene behind it is ready gives the GUI its item-record source.
class LoginLoadingEvent : public BaseEvent {
public:
    LoginLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::LoginLoading; }

    /// The background scene is ready: the screen may show.
    void onSceneReady();

private:
    bool mWrapperHanded = false; // the GUI keeps one item-record source for the whole run
    core::Lifetime mLife;        // the scene's action runs only while the event lives
};

} // namespace zrk
} // namespace kavri3D
