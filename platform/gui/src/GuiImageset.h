#pragma once
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The GUI's image sets that pages load when they first need them (the item icons).
class GuiImageset {
public:
    /// Loads the set `name` unless it is there already: from the scheme's sets, else from the
    /// game's GUI files. When it cannot be loaded, one log line says so and what `withoutIt`
    /// shows instead; false then.
    static bool load(const std::string& name, const char* withoutIt);
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
