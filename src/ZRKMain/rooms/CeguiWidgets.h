#pragma once
#include <string>

namespace CEGUI {
class String;
class Window;
} // namespace CEGUI
namespace Ogre {
class PixelBox;
} // namespace Ogre

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
    /// A child by path; null when there is none (or no parent).
    static CEGUI::Window* child(CEGUI::Window* parent, const std::string& path);

    /// Shows the image on the window when it is defined, else leaves the window empty (a
    /// picture this client does not have). False when the image is not shown.
    static bool setImage(CEGUI::Window* window, const std::string& image);

    /// The game's GUI data files (res/GUI) as CEGUI's resource group.
    static const char* const kGroup;
    /// Loads an image set file of the game's GUI data; a CEGUI exception passes to the caller.
    static void loadImageset(const std::string& file);
    /// Every window of the GUI showing a picture of the set shows none from now on: a window
    /// keeps its picture by address, and the set is about to go.
    static void letGoOfImages(const std::string& imageset);
    /// A picture file of the game's GUI data as the one image "full_image" of the set; returns
    /// the image's name. A CEGUI or engine exception passes to the caller, with nothing left
    /// behind.
    static std::string addImageFile(const std::string& imageset, const std::string& file);
    /// Decoded pixels as an image of that name over the whole of a texture of the same name
    /// (destroyImageset of the image's set takes both). With the engine drawing the GUI the
    /// engine's texture takes the pixels: the GUI's own upload keeps a copy of every picture
    /// it is given for the rest of the run, a few MB at every screen that shows one.
    static void addPicture(const std::string& image, const Ogre::PixelBox& pixels);
    /// Destroys the set's images and the textures under them; nothing for a set that is absent.
    static void destroyImageset(const std::string& imageset);
};

} // namespace zrk
} // namespace kavri3D
