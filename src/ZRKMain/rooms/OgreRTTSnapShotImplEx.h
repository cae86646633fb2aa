#pragma once
#include <string>

#include "rooms/AbsRTTSnapShotImpl.h"

namespace kavri3D {
namespace core {

/// A snapshot's 256 by 256 RGBA render texture in the game window's scene, filmed by a
/// camera of its own (on its own node, upright, with a square lens) and cleared to
/// transparent black before every render. OGRE updates it every frame.
class OgreRTTSnapShotImplEx : public AbsRTTSnapShotImpl {
public:
    OgreRTTSnapShotImplEx(SnapShotEx* owner, const std::string& textureName, const std::string& cameraName);
    ~OgreRTTSnapShotImplEx() override;

    /// False without a texture manager (headless) or scene, or when a name is taken.
    bool create() override;
};

} // namespace core
} // namespace kavri3D
