#include "battle/tutorial/TutorialHintTask.h"

#include <yake/Time.h>
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

void TutorialHintTask::startHint() { mHintTime = static_cast<float>(yake::native::getTime()); }

void TutorialHintTask::idleHint()
{
    const float now = static_cast<float>(yake::native::getTime());
    if (mHintTime > 0.0f && now - mHintTime > kHintSeconds) {
        mHintTime = now;
        mRoom->showGuideHint("junior", mHintId);
    }
}

} // namespace zrk
} // namespace kavri3D
