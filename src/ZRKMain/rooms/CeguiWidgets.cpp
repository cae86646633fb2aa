#include "rooms/CeguiWidgets.h"

#include <CEGUI/CEGUI.h>
#include <gui/CeguiText.h>

namespace kavri3D {
namespace zrk {

CEGUI::String CeguiWidgets::utf8(const std::string& text)
{
    return gui::toCeguiString(text);
}

CEGUI::String CeguiWidgets::widgetType(const char* widget)
{
    const CEGUI::String own = CEGUI::String("Kavri3DLook/") + widget;
    CEGUI::WindowFactoryManager& f = CEGUI::WindowFactoryManager::getSingleton();
    return f.isFactoryPresent(own) || f.isFalagardMappedType(own) ? own : CEGUI::String("TaharezLook/") + widget;
}

std::string CeguiWidgets::imageName(const std::string& imageset, const std::string& image)
{
    return imageset + "/" + image;
}

bool CeguiWidgets::alive(const CEGUI::Window* window)
{
    return window && CEGUI::WindowManager::getSingletonPtr() && CEGUI::WindowManager::getSingleton().isAlive(window);
}

void CeguiWidgets::destroy(CEGUI::Window*& window)
{
    if (alive(window))
        CEGUI::WindowManager::getSingleton().destroyWindow(window);
    window = nullptr;
}

} // namespace zrk
} // namespace kavri3D
