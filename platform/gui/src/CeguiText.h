#pragma once
#include <string>

namespace CEGUI {
class String;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// CEGUI text from the game's UTF-8 bytes.
CEGUI::String toCeguiString(const std::string& utf8);
/// The game's UTF-8 bytes from CEGUI text.
std::string fromCeguiString(const CEGUI::String& text);
/// The value of an image property: "Set/Image".
CEGUI::String imageProperty(const std::string& imageset, const std::string& image);

} // namespace gui
} // namespace zrk
} // namespace kavri3D
