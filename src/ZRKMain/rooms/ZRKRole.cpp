#include "rooms/ZRKRole.h"

#include <Ogre.h>
#include <cstddef>
#include <scene/BasicPlayer.h>
#include <scene/GrafixScene.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

const char* const kSlotNames[17] = {"",      "suite", "hairstyle", "coat",  "back", "hand", "shoes", "bracelet", "ring",
                                    "mouth", "eye",   "face",      "looks", "",     "",     "",      ""};

// What an action item is worn as: it chooses the animation, it is not a part of the figure.
const char* const kActionKind = "action";

float randomExtra(int span) { return static_cast<float>(GameServices::randomBelow(span)); }

} // namespace

ZRKRole::ZRKRole(const std::string& n) : mName(n), mIdleExtra(randomExtra(5)) {}

ZRKRole::~ZRKRole() = default;

std::string ZRKRole::getSlotName(int index) { return index >= 0 && index < 17 ? kSlotNames[index] : ""; }

core::EquipmentList ZRKRole::buildItemSet(const SlotModels& slotModels)
{
    core::EquipmentList items;
    std::string coat, suite;
    for (const auto& slot : slotModels) {
        if (slot.first == "coat")
            coat = slot.second;
        else if (slot.first == "suite")
            suite = slot.second;
        else
            items.push_back(core::Equipment(slot.second, slot.first));
    }
    // A suite covers the coat.
    if (!suite.empty())
        items.push_front(core::Equipment(suite, "suite"));
    else if (!coat.empty())
        items.push_front(core::Equipment(coat, "coat"));
    return items;
}

void ZRKRole::create(core::GrafixScene* s)
{
    mScene = s;
    mPlayer = s ? s->createPlayer(mName, true) : boost::shared_ptr<core::BasicPlayer>();
    if (!mPlayer)
        writeLog(kLogWarning, "ZRKRole", "role " + mName + " has no scene to stand in");
    setDefaultItems(std::vector<std::string>());
    setLook("boy");
    applyDefaultItems();
    setMood("boy_continue");
}

void ZRKRole::destroy()
{
    // A figure still in its scene means the scene is alive; a room that went took it along.
    if (mScene && mPlayer && mPlayer->isInScene() && mScene->getPlayer(mName) == mPlayer)
        mScene->removePlayer(mName);
}

void ZRKRole::setAttr(const std::string& kind, const std::string& model)
{
    mSlotModels[kind] = model;
    mEquipment.clear();
}

void ZRKRole::removeAttr(const std::string& kind)
{
    if (mSlotModels.erase(kind) > 0)
        mEquipment.clear();
}

void ZRKRole::setEquipment(const SlotModels& models)
{
    mSlotModels = models;
    mEquipment.clear();
}

void ZRKRole::clearEquipment()
{
    mSlotModels.clear();
    mEquipment.clear();
}

void ZRKRole::setDefaultItems(const std::vector<std::string>& items)
{
    mDefaultItems.clear();
    // The outfit worn so far was put together with the old defaults: the next dressing
    // builds it anew, or a face and gloves set after the outfit never show.
    mEquipment.clear();
    for (const std::string& item : items)
        if (!item.empty())
            mDefaultItems.push_back(item);
    applyDefaultItems();
}

void ZRKRole::applyDefaultItems()
{
    if (mPlayer)
        mPlayer->setDefaultItem(mLook, mDefaultItems);
}

void ZRKRole::setMood(const std::string& m)
{
    mMood = m;
    if (mPlayer)
        mPlayer->setMood(m);
}

void ZRKRole::playMood(const std::string& action, const std::string& m, bool lock)
{
    mPendingAction = action;
    mActionPending = true;
    mActionLocked = lock;
    if (mPlayer)
        mPlayer->setMood(m);
}

void ZRKRole::holdMood(const std::string& m)
{
    mPendingAction.clear();
    mActionPending = mActionLocked = true;
    if (mPlayer)
        mPlayer->setMood(m);
}

void ZRKRole::resetMood()
{
    mPendingAction.clear();
    mActionPending = mActionLocked = false;
    if (mPlayer)
        mPlayer->setMood(mMood);
}

void ZRKRole::execAction(const std::string& action)
{
    if (mActionPending && mActionLocked)
        return;
    if (!mPlayer)
        return;
    if (!mPendingAction.empty()) {
        ensureEquipment();
        mPlayer->loadItems(mEquipment, true);
    }
    mPlayer->execAction(action, "");
}

void ZRKRole::setPosition(float x, float y, float z)
{
    if (Ogre::SceneNode* node = mPlayer ? mPlayer->getMovable() : nullptr)
        node->setPosition(x, y, z);
}

Ogre::Vector3 ZRKRole::getPosition() const
{
    Ogre::SceneNode* node = mPlayer ? mPlayer->getMovable() : nullptr;
    return node ? node->getPosition() : Ogre::Vector3::ZERO;
}

void ZRKRole::ensureEquipment()
{
    if (!mEquipment.empty())
        return;
    mEquipment = buildItemSet(mSlotModels);
    for (const std::string& item : mDefaultItems)
        mEquipment.push_back(core::Equipment(item));
}

core::EquipmentList ZRKRole::withPendingAction(core::EquipmentList items) const
{
    if (mActionPending && !mPendingAction.empty())
        items.push_front(core::Equipment(mPendingAction, kActionKind));
    return items;
}

void ZRKRole::loadEquipment()
{
    ensureEquipment();
    if (!mPlayer)
        return;
    if (!mEquipment.empty() && !(mActionPending && !mPendingAction.empty())) {
        mPlayer->loadItems(mEquipment, true);
        mIdleTime = 0;
        return;
    }
    core::EquipmentList items = withPendingAction(mEquipment);
    if (items.empty() && !mLook.empty())
        items.push_front(core::Equipment(mLook)); // the bare body
    mPlayer->loadItems(items, true);
    mIdleTime = 0;
}

core::EquipmentList ZRKRole::getEquipment()
{
    ensureEquipment();
    return mEquipment;
}

core::EquipmentList ZRKRole::buildDefaultEquipment() const
{
    core::EquipmentList items;
    for (const std::string& item : mDefaultItems)
        items.push_back(core::Equipment(item));
    return items;
}

void ZRKRole::copyFrom(ZRKRole& other)
{
    mSlotModels = other.mSlotModels;
    mEquipment = other.getEquipment();
    mDefaultItems = other.mDefaultItems;
    mLook = other.mLook;
    applyDefaultItems();
    loadEquipment();
}

void ZRKRole::update()
{
    if (mTurnHandler.empty())
        return;
    bool turn = false, left = true;
    mTurnHandler(turn, left);
    Ogre::SceneNode* node = mPlayer ? mPlayer->getMovable() : nullptr;
    if (!turn || !node)
        return;
    const Ogre::Degree angle(left ? 2.0f : -2.0f);
    node->setOrientation(Ogre::Quaternion(angle, Ogre::Vector3::UNIT_Y) * node->getOrientation());
}

void ZRKRole::tick(float dt, float maxTimeSpan)
{
    if (mIdleActions.empty())
        return;
    if (mActionPending && !mActionLocked && !mPendingAction.empty() && mIdleIndex != -1 && mPlayer &&
        mPlayer->getMoodUri() == mPlayer->getAnimationUri()) {
        // The idle action is over: show the pending action's item again.
        ensureEquipment();
        mPlayer->loadItems(withPendingAction(mEquipment), true);
        mIdleIndex = -1;
    }
    mIdleTime += dt;
    if (mIdleTime >= maxTimeSpan + mIdleExtra) {
        mIdleTime = 0;
        mIdleExtra = randomExtra(mFloatSpan);
        mIdleIndex = GameServices::randomBelow(static_cast<int>(mIdleActions.size()));
        execAction(mIdleActions[static_cast<std::size_t>(mIdleIndex)]);
    }
}

} // namespace zrk
} // namespace kavri3D
