#pragma once
#include <string>

namespace CEGUI {
class String;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {

/// The few CEGUI chores the rooms share: texts from UTF-8, the game's look of a widget, image
/// names, and windows that may already be gone.
class CeguiWidgets {
public:
    static CEGUI::String utf8(const std::string& text);
    /// The game's look of a widget when its scheme is loaded, else the framework's default look.
    static CEGUI::String widgetType(const char* widget);
    /// The name of an image of an image set, as image properties take it: "Set/Image".
    static std::string imageName(const std::string& imageset, const std::string& image);
    /// The default mouse cursor: an image of an image set (the framework's image of that name
    /// when the set is not loaded), or none (the blank cursor) for an empty set. Nothing
    /// without CEGUI.
    static void setDefaultCursor(const std::string& imageset, const std::string& image);
    /// False for null, and for a window CEGUI has destroyed (or without CEGUI).
    static bool alive(const CEGUI::Window* window);
    /// Destroys the window when it is still alive; the pointer becomes null either way.
    static void destroy(CEGUI::Window*& window);
};

} // namespace zrk
} // namespace kavri3D
