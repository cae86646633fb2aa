#include "CeguiText.h"

#include <CEGUI/String.h>

namespace kavri3D {
namespace zrk {
namespace gui {

CEGUI::String toCeguiString(const std::string& utf8)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(utf8.c_str()), utf8.size());
}

std::string fromCeguiString(const CEGUI::String& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()));
}

CEGUI::String imageProperty(const std::string& imageset, const std::string& image)
{
    return toCeguiString(imageset + "/" + image);
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
