#include "core/CEGUIPanel.h"

#include <CEGUI/CEGUI.h>

#include "core/CEGUIPanelContainer.h"

namespace kavri3D {
namespace core {

CEGUIPanel::CEGUIPanel(CEGUIPanelContainer* container) : mContainer(container) {}

CEGUIPanel::~CEGUIPanel() = default;

CEGUI::Sizef CEGUIPanel::getPreferredSize()
{
    CEGUI::Window* w = getWindow();
    return CEGUIPanelContainer::isLiveWindow(w) ? w->getPixelSize() : CEGUI::Sizef(0, 0);
}

void CEGUIPanel::show(bool visible)
{
    CEGUI::Window* w = getWindow();
    if (CEGUIPanelContainer::isLiveWindow(w))
        w->setVisible(visible);
}

void CEGUIPanel::active(bool activate)
{
    CEGUI::Window* w = getWindow();
    if (!CEGUIPanelContainer::isLiveWindow(w))
        return;
    if (activate)
        w->activate();
    else
        w->deactivate();
}

bool CEGUIPanel::isVisible()
{
    CEGUI::Window* w = getWindow();
    return CEGUIPanelContainer::isLiveWindow(w) && w->isVisible();
}

bool CEGUIPanel::isActive()
{
    CEGUI::Window* w = getWindow();
    return CEGUIPanelContainer::isLiveWindow(w) && w->isActive();
}

} // namespace core
} // namespace kavri3D
