#include "events/LoginLoadingEvent.h"

#include <gui/IGuiManager.h>
#include <util/XmlConfigHelper.h>

#include "rooms/BackgroundScene.h"
#include "rooms/Wrapper.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

LoginLoadingEvent::LoginLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* LoginLoadingEvent::fillParams()
{
    clearParams();
    core::XmlConfigHelper* settings = GameServices::settings();
    addString("username", settings ? settings->getStringVal("player/name", "") : std::string());
    addBool("userlock", settings ? settings->getBoolVal("player/lock", true) : true);
    return paramList();
}

void LoginLoadingEvent::callback(gui::ParamHandle params)
{
    bool quit = false;
    if (!readOptional("quit", params, quit))
        return;
    if (quit) {
        raiseEvent(getEventId());
        return;
    }
    // Once the scene behind the screen is ready; nothing when this event has gone by then.
    BackgroundScene::instance().setIdleAction(mLife.guard([this] { onSceneReady(); }));
}

void LoginLoadingEvent::onSceneReady()
{
    raiseEvent(getEventId());
    if (mWrapperHanded)
        return;
    if (gui::IGuiManager* manager = GameServices::guiManager()) {
        manager->setWrapper(new Wrapper); // the manager owns it from here
        mWrapperHanded = true;
    }
}

} // namespace zrk
} // namespace kavri3D
