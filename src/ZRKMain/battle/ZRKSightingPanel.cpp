#include "battle/ZRKSightingPanel.h"

#include <core/CEGUIPanelContainer.h>
#include <core/Frame.h>
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

ZRKSightingPanel::ZRKSightingPanel(BattleRoom* room) : core::CEGUIPanel(GameServices::frame()), mRoom(room) {}

ZRKSightingPanel::~ZRKSightingPanel() { destroyWindow(); }

bool ZRKSightingPanel::createWindow()
{
    core::CEGUIPanelContainer* container = getContainer();
    return container && container->getTopWindow();
}

void ZRKSightingPanel::destroyWindow() { mVisible = false; }

} // namespace zrk
} // namespace kavri3D
