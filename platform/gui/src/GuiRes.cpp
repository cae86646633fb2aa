#include "GuiRes.h"

#include <CEGUI/CEGUI.h>

#include "CallCounter.h"
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

void GuiRes::loadBaseResources()
{
    mCalls.add("loadBaseResources");
    if (!CEGUI::System::getSingletonPtr())
        return;
    try {
        CEGUI::SchemeManager& schemes = CEGUI::SchemeManager::getSingleton();
        if (!schemes.isDefined("TaharezLook"))
            schemes.createFromFile("TaharezLook.scheme");
    } catch (const std::exception& e) {
        guiLog(3, "base GUI resources not loaded: ", e.what());
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
