#pragma once
#include <string>

namespace CEGUI {
class String;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// The one road from the game's UTF-8 bytes to CEGUI's text. CEGUI trusts its UTF-8 and reads
/// a cut character past the end of the text, and it reads "[...]" in a window's text as
/// formatting: so every text is checked first, and every text that came from outside (a
/// player, the server, a data file) is escaped besides. Only our own layouts and texts may
/// carry formatting.

/// The text with every bad UTF-8 sequence (cut, overlong, a surrogate, past U+10FFFF) replaced
/// by U+FFFD.
std::string checkedUtf8(const std::string& utf8);
/// Outside text as CEGUI shows it literally: checked UTF-8, control characters other than a
/// line break replaced, and every "[" and backslash escaped so that no formatting tag starts.
std::string escapeMarkup(const std::string& utf8);
/// CEGUI text of our own (may carry formatting), from checked UTF-8.
CEGUI::String toCeguiString(const std::string& utf8);
/// CEGUI text of outside text: shown as written, never as formatting.
CEGUI::String outsideText(const std::string& utf8);
/// The game's UTF-8 bytes from CEGUI text.
std::string fromCeguiString(const CEGUI::String& text);
/// The value of an image property: "Set/Image".
CEGUI::String imageProperty(const std::string& imageset, const std::string& image);

} // namespace gui
} // namespace zrk
} // namespace kavri3D
