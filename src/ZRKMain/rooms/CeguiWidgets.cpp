#include "rooms/CeguiWidgets.h"

#include <CEGUI/CEGUI.h>

namespace kavri3D {
namespace zrk {

CEGUI::String CeguiWidgets::utf8(const std::string& text)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(text.c_str()), text.size());
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

void CeguiWidgets::setDefaultCursor(const std::string& imageset, const std::string& image)
{
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    if (!system || !images)
        return;
    CEGUI::MouseCursor& cursor = system->getDefaultGUIContext().getMouseCursor();
    if (imageset.empty()) {
        cursor.setDefaultImage(nullptr);
        return;
    }
    // The game's look when its set is loaded, else the framework's own picture of that name.
    CEGUI::String name = utf8(imageName(imageset, image));
    if (!images->isDefined(name))
        name = utf8(imageName("TaharezLook", image));
    cursor.setDefaultImage(images->isDefined(name) ? &images->get(name) : nullptr);
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
