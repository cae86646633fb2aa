#include "battle/tutorial/TutorialChatTask.h"

#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

void TutorialChatTask::start(const std::string&) { mRoom->setChatDone(false); }

void TutorialChatTask::update()
{
    if (mRoom->isChatDone())
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
