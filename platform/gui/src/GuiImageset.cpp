#include "GuiImageset.h"
#include <CEGUI/CEGUI.h>
#include <exception>
#include <text/CeguiText.h>
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

bool GuiImageset::load(const std::string& name, const char* withoutIt)
{
    // A set loaded already (the scheme's) made a texture of its name.
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    if (name.empty() || !system)
        return false;
    if (system->getRenderer()->isTextureDefined(toCeguiString(name)))
        return true;
    // The GUI's own sets are with the scheme's; the game's beside its other GUI files.
    std::string why;
    for (const char* group : {"", "General"}) {
        try {
            CEGUI::ImageManager::getSingleton().loadImageset(toCeguiString(name + ".imageset"), group);
            return true;
        } catch (const std::exception& e) {
            why = e.what(); // not in this group (the renderer's own file look-up throws its own kind)
        }
    }
    guiLog(Severity::Error, "the image set ", name, " cannot be loaded, ", withoutIt, ": ", why);
    return false;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
