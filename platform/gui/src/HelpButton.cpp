#include "HelpButton.h"

#include <CEGUI/CEGUI.h>

#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

HelpButton::HelpButton(int kind, ParamStore& params, EventDispatcher& dispatcher)
    : mKind(kind), mParams(params), mDispatcher(dispatcher)
{
}

HelpButton::~HelpButton() = default;

void HelpButton::build(CEGUI::Window& frame)
{
    mConnection.reset(); // a click on the old button asks for nothing more
    CEGUI::Window* button = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/Button", kName);
    // In the title bar, clear of every page's own content.
    button->setNonClient(true);
    button->setAlwaysOnTop(true);
    button->setArea(CEGUI::URect(CEGUI::UDim(1, -74), CEGUI::UDim(0, 3), CEGUI::UDim(1, -16), CEGUI::UDim(0, 21)));
    button->setText("Help");
    frame.addChild(button);
    mConnection =
        button->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&HelpButton::onClicked, this));
}

bool HelpButton::press() { return mDispatcher.callback(kEventId, mParams.handle(mKind)); }

bool HelpButton::onClicked(const CEGUI::EventArgs&)
{
    try {
        press();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "help not asked for: ", e.what());
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
