#include "SmallFont.h"
#include <CEGUI/FontManager.h>
#include <exception>
#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kFont[] = "GuiSmall-8";
} // namespace

CEGUI::String SmallFont::name(const char* where)
{
    try {
        CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
        if (!fonts.isDefined(kFont))
            fonts.createFreeTypeFont(kFont, 8, true, "DejaVuSans.ttf", "", CEGUI::ASM_Vertical,
                                     CEGUI::Sizef(1280, 720));
        return kFont;
    } catch (const std::exception& e) {
        guiLog(Severity::Warning, where, ": the small font cannot be made, the GUI's own is used: ", e.what());
        return CEGUI::String();
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
