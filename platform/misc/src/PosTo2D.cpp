#include "misc/PosTo2D.h"

#include <cmath>
#include <Ogre.h>
#include <yake/Vector3.h>

namespace CEGUI {

bool PosTo2D(const Ogre::Camera* camera, const Ogre::Vector3& world, Vector2f& out)
{
    if (!camera || !std::isfinite(world.x) || !std::isfinite(world.y) || !std::isfinite(world.z))
        return false;
    const Ogre::Vector3 eye = camera->getViewMatrix(true) * world;
    if (eye.z >= 0.0f)
        return false; // the camera looks down its -Z: the point is beside or behind it
    const Ogre::Vector3 clip = camera->getProjectionMatrix() * eye;
    if (!std::isfinite(clip.x) || !std::isfinite(clip.y))
        return false;
    out = Vector2f(0.5f + clip.x * 0.5f, 0.5f - clip.y * 0.5f);
    return true;
}

bool PosTo2D(const Ogre::Camera* camera, const yake::math::Vector3& world, Vector2f& out)
{
    return PosTo2D(camera, Ogre::Vector3(world.x, world.y, world.z), out);
}

} // namespace CEGUI
