#include "battle/hud/ZRKSuspendPanel.h"

#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <text/CeguiText.h>
#include <lan/ZRKLan.h>

#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

BattleRoom::ZRKSuspendPanel::ZRKSuspendPanel(BattleRoom* room) : core::CEGUIPanel(GameServices::frame()), mRoom(room) {}

BattleRoom::ZRKSuspendPanel::~ZRKSuspendPanel() { destroyWindow(); }

bool BattleRoom::ZRKSuspendPanel::createWindow()
{
    CEGUI::Window* top = getContainer() ? getContainer()->getTopWindow() : nullptr;
    if (!CeguiWidgets::alive(top))
        return false;
    try {
        CeguiWidgets::loadImageset("suspend.imageset");
        mRoot = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("suspend.layout", CeguiWidgets::kGroup);
        top->addChild(mRoot);
        mRoot->subscribeEvent(CEGUI::Window::EventMouseButtonUp,
                              CEGUI::Event::Subscriber(&BattleRoom::ZRKSuspendPanel::onMouseUp, this));
        CEGUI::Window* text = mRoot->getChild("icon");
        text->setText(gui::outsideText(ZRKLan::getMsg("layout/battle/text/suspend")));
        text->activate();
    } catch (const CEGUI::Exception& e) {
        writeLog(kLogError, "room", std::string("the suspend panel cannot be made: ") + e.getMessage().c_str());
        destroyWindow();
    }
    return mRoot != nullptr;
}

void BattleRoom::ZRKSuspendPanel::destroyWindow()
{
    CeguiWidgets::destroy(mRoot);
    CeguiWidgets::destroyImageset("suspend");
}

bool BattleRoom::ZRKSuspendPanel::onMouseUp(const CEGUI::EventArgs&)
{
    show(false);
    return true;
}

} // namespace zrk
} // namespace kavri3D
