#pragma once
#include <CEGUI/Vector.h>
#include <OgreVector.h>

namespace Ogre {
class Camera;
} // namespace Ogre
namespace yake {
namespace math {
class Vector3;
}
} // namespace yake

namespace CEGUI {

/// Projects a world point through the camera to normalised screen coordinates (0..1 across
/// the view, y growing downwards). False, `out` untouched, without a camera, for a point that
/// is not in front of it, or for a point that is not finite.
bool PosTo2D(const Ogre::Camera* camera, const Ogre::Vector3& world, Vector2f& out);
bool PosTo2D(const Ogre::Camera* camera, const yake::math::Vector3& world, Vector2f& out);

} // namespace CEGUI
