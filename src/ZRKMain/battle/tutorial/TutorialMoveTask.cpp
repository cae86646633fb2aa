#include "battle/tutorial/TutorialMoveTask.h"

#include <algorithm>
#include <cctype>
#include <util/StringConv.h>
#include <yake/Movable.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialMoveTask::start(const std::string& args)
{
    mActive = true;
    if (!args.empty()) {
        const char c = args[0];
        ZRKLand* land = mRoom->getLand();
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != '_') {
            std::string blanks = args;
            std::replace(blanks.begin(), blanks.end(), ',', ' ');
            float v[3];
            if (core::parseVector3(blanks, v))
                mTarget = yake::math::Vector3(v[0], v[1], v[2]);
        } else if (const yake::Movable* node = land ? land->_getNodeMovable(args) : nullptr)
            mTarget = node->getPosition();
    }
    placeMarker(mTarget);
    if (ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom))
        doll->lookAt(mTarget);
    startHint();
}

void TutorialMoveTask::stop()
{
    mActive = false;
    stopHint();
    removeMarker();
}

void TutorialMoveTask::update()
{
    if (!mActive)
        return;
    if (mMarkerId == -1)
        placeMarker(mTarget); // the marker's picture may have been fetched since
    ZRKLand* land = mRoom->getLand();
    ZRKPlayerSim* doll = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    if (doll && doll->getPosition().squaredDistance(mTarget) < 9.0f) {
        mActive = false;
        mRoom->setStepDone();
        removeMarker();
        return;
    }
    idleHint();
}

} // namespace zrk
} // namespace kavri3D
