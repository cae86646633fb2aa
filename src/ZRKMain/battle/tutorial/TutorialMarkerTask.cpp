#include "battle/tutorial/TutorialMarkerTask.h"

#include <Ogre.h>
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

TutorialMarkerTask::~TutorialMarkerTask() = default; // the room's scene takes its effects with it

void TutorialMarkerTask::placeMarker(const yake::math::Vector3& at)
{
    removeMarker();
    if (!mRoom->hasScene())
        return;
    mMarkerId = mRoom->addSceneEffect("", "__gizmo_target", -1.0f, Ogre::Quaternion::IDENTITY,
                                      Ogre::Vector3::UNIT_SCALE, Ogre::Vector3(at.x, at.y, at.z));
}

void TutorialMarkerTask::removeMarker()
{
    if (mMarkerId != -1 && mRoom->hasScene())
        mRoom->removeSceneEffect(mMarkerId);
    mMarkerId = -1;
}

} // namespace zrk
} // namespace kavri3D
