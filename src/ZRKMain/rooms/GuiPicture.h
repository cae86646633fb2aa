#pragma once
#include <OgreColourValue.h>
#include <OgreVector.h>
#include <string>

namespace kavri3D {
namespace core {
class SnapShotEx;
}
namespace zrk {
namespace gui {
class IGuiManager;
}

/// A snapshot's render texture shown by the GUI as a named image: a CEGUI texture over it,
/// handed to the GUI manager. When the picture goes, the GUI gives the image back first and
/// the CEGUI texture goes after it, so no image outlives its texture.
class GuiPicture {
public:
    GuiPicture() = default;
    ~GuiPicture();
    GuiPicture(const GuiPicture&) = delete;
    GuiPicture& operator=(const GuiPicture&) = delete;

    /// Hands the named snapshot's texture to the manager as the image (an older CEGUI texture
    /// of the same name goes first). False when the snapshot has no texture or there is no
    /// CEGUI renderer for it.
    bool give(const std::string& snapshotName, const std::string& imageName, gui::IGuiManager* manager);
    /// The same for a snapshot held outside the registry.
    bool give(core::SnapShotEx* snapshot, const std::string& imageName, gui::IGuiManager* manager);
    void takeBack();
    const std::string& getImageName() const { return mImageName; }

    /// Aims the snapshot's camera from `eye` at `target` and clears its viewport to the colour
    /// (each when the snapshot has it).
    static void frame(core::SnapShotEx* snapshot, const Ogre::Vector3& eye, const Ogre::Vector3& target,
                      const Ogre::ColourValue& background);

private:
    std::string mImageName;
    std::string mTextureName; // the CEGUI texture's, empty while none is made
};

} // namespace zrk
} // namespace kavri3D
