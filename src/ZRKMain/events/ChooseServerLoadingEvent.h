#pragma once
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Keeps the name, password and server the server-choice step hands over, and hands them
/// back to the log-in screen. The server chosen, when the game's list names it, becomes the
/// one the game logs in to.
class ChooseServerLoadingEvent : public BaseEvent {
public:
    ChooseServerLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChooseServerLoading; }

private:
    void playOn(const std::string& server);

    std::string mLoginName;
    std::string mLoginPwd;
    std::string mLoginSrv;
};

} // namespace zrk
} // namespace kavri3D
