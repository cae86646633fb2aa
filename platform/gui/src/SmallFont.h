#pragma once
#include <CEGUI/String.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The GUI's smaller font, for texts in small places (the bag's belt cells, the battle bar's
/// lines): DejaVu Sans at 8 points, scaled with the screen's height as the GUI's own font.
class SmallFont {
public:
    /// Its name, made on first use; empty (the GUI's own font) when it cannot be made, with one
    /// log line naming `where`.
    static CEGUI::String name(const char* where);
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
