#include "core/GuiManager.h"

#include <CEGUI/CEGUI.h>
#include "core/GraphicsSystem.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::GuiManager);

namespace kavri3D {
namespace core {

void GuiManager::cursorCapture(int mode)
{
    mCapture = mode;
    if (CEGUI::System* gui = CEGUI::System::getSingletonPtr()) {
        CEGUI::MouseCursor& cursor = gui->getDefaultGUIContext().getMouseCursor();
        if (mode == 2)
            cursor.hide();
        else
            cursor.show();
    }
    if (mode == 2)
        if (GraphicsSystem* graphics = GraphicsSystem::getSingletonPtr())
            graphics->centrePointer();
}

void GuiManager::cursorResetPos(float x, float y)
{
    if (GraphicsSystem* graphics = GraphicsSystem::getSingletonPtr())
        graphics->warpPointer(static_cast<int>(x), static_cast<int>(y));
    if (CEGUI::System* gui = CEGUI::System::getSingletonPtr())
        gui->getDefaultGUIContext().injectMousePosition(x, y);
}

} // namespace core
} // namespace kavri3D
