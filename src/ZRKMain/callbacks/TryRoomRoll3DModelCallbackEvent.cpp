#include "callbacks/TryRoomRoll3DModelCallbackEvent.h"

#include <OgreSceneNode.h>
#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>
#include <cmath>
#include <scene/BasicPlayer.h>
#include <scene/DefaultSceneHelper.h>
#include <yake/Math.h>
#include <yake/Quaternion.h>

#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

TryRoomRoll3DModelCallbackEvent::TryRoomRoll3DModelCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher), mSelf(boost::make_shared<TryRoomRoll3DModelCallbackEvent*>(this))
{
}

TryRoomRoll3DModelCallbackEvent::~TryRoomRoll3DModelCallbackEvent() = default;

gui::ParamList* TryRoomRoll3DModelCallbackEvent::fillParams() { return emptyParams(); }

void TryRoomRoll3DModelCallbackEvent::onQueryTurn(bool& turn, bool& clockwise)
{
    turn = mTurn;
    clockwise = mClockwise;
}

void TryRoomRoll3DModelCallbackEvent::callback(gui::ParamHandle params)
{
    if (const gui::ParamNode* span = findParam("mouse_span", params)) {
        turnRole(*span, params);
        return;
    }
    bool turn = mTurn, clockwise = mClockwise;
    if (!readOptional("flags", params, turn) || !readOptional("isClock", params, clockwise))
        return;
    mTurn = turn;
    mClockwise = clockwise;
    ZRKRolePtr role = RoleManager::instance().getRole("showview");
    if (!role)
        return;
    boost::weak_ptr<TryRoomRoll3DModelCallbackEvent*> self = mSelf;
    role->setTurnHandler([self](bool& turn, bool& clockwise) {
        if (boost::shared_ptr<TryRoomRoll3DModelCallbackEvent*> event = self.lock())
            (*event)->onQueryTurn(turn, clockwise);
        else
            turn = false;
    });
}

void TryRoomRoll3DModelCallbackEvent::turnRole(const gui::ParamNode& span, gui::ParamHandle params)
{
    std::string name = "showview";
    if (!readOptional("role", params, name))
        return;
    ZRKRolePtr role = RoleManager::instance().getRole(name);
    boost::shared_ptr<core::BasicPlayer> player = role ? role->getPlayer() : boost::shared_ptr<core::BasicPlayer>();
    Ogre::SceneNode* movable = player ? player->getMovable() : nullptr;
    if (!movable)
        return;
    if (span.value.empty()) {
        // An empty span puts the figure back facing the front.
        const yake::math::Quaternion& q = yake::math::Quaternion::kIdentity;
        movable->setOrientation(Ogre::Quaternion(q.w, q.x, q.y, q.z));
    } else {
        const float* degrees = boost::any_cast<float>(&span.value);
        if (!degrees) {
            log(kLogError, "mouse_span ParamNode type error");
            return;
        }
        // A span that is not finite would leave the figure's orientation undefined for good.
        if (!std::isfinite(*degrees)) {
            log(kLogError, "mouse_span is not a finite angle");
            return;
        }
        const yake::math::Quaternion q = yake::math::Quaternion::FromAngleAxis(
            yake::math::Math::AngleUnitsToRadians(std::fmod(*degrees, 360.0f)), yake::math::Vector3::kUnitY);
        Ogre::Quaternion turned = Ogre::Quaternion(q.w, q.x, q.y, q.z) * movable->getOrientation();
        turned.normalise();
        movable->setOrientation(turned);
    }
    core::DefaultSceneHelper::notifyNodeMoved(movable, true);
}

} // namespace zrk
} // namespace kavri3D
