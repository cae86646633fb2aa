#include "rooms/ZRKRole.h"

#include <Ogre.h>
#include <cstdlib>
#include <scene/BasicPlayer.h>
#include <scene/GrafixScene.h>

#include "shell/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

const char* const kSlotNames[17] = {"",      "suite", "hairstyle", "coat", "back",  "hand", "shoes", "bracelet", "ring",
                                    "mouth", "eye",   "face",      "looks", "",     "",     "",      ""};

// What an action item is worn as: it chooses the animation, it is not a part of the figure.
const char* const kActionKind = "action";

float randomExtra(int span) { return span > 0 ? static_cast<float>(std::rand() % span) : 0.f; }

} // namespace

ZRKRole::ZRKRole(const std::string& n) : name(n), idleExtra(randomExtra(5)) {}

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
    scene = s;
    player = s ? s->createPlayer(name, true) : boost::shared_ptr<core::BasicPlayer>();
    if (!player)
        writeLog(4, "ZRKRole", "role " + name + " has no scene to stand in");
    setDefaultItems(std::vector<std::string>());
    setLook("boy");
    applyDefaultItems();
    setMood("boy_continue");
}

void ZRKRole::destroy()
{
    // A figure still in its scene means the scene is alive; a room that went took it along.
    if (scene && player && player->isInScene() && scene->getPlayer(name) == player)
        scene->removePlayer(name);
}

void ZRKRole::setAttr(const std::string& kind, const std::string& model)
{
    slotModels[kind] = model;
    equipment.clear();
}

void ZRKRole::removeAttr(const std::string& kind)
{
    if (slotModels.erase(kind) > 0)
        equipment.clear();
}

void ZRKRole::setEquipment(const SlotModels& models)
{
    slotModels = models;
    equipment.clear();
}

void ZRKRole::clearEquipment()
{
    slotModels.clear();
    equipment.clear();
}

void ZRKRole::setDefaultItems(const std::vector<std::string>& items)
{
    defaultItems.clear();
    for (const std::string& item : items)
        if (!item.empty())
            defaultItems.push_back(item);
    applyDefaultItems();
}

void ZRKRole::applyDefaultItems()
{
    if (player)
        player->setDefaultItem(look, defaultItems);
}

void ZRKRole::setMood(const std::string& m)
{
    mood = m;
    if (player)
        player->setMood(m);
}

void ZRKRole::playMood(const std::string& action, const std::string& m, bool lock)
{
    pendingAction = action;
    actionPending = true;
    actionLocked = lock;
    if (player)
        player->setMood(m);
}

void ZRKRole::holdMood(const std::string& m)
{
    pendingAction.clear();
    actionPending = actionLocked = true;
    if (player)
        player->setMood(m);
}

void ZRKRole::resetMood()
{
    pendingAction.clear();
    actionPending = actionLocked = false;
    if (player)
        player->setMood(mood);
}

void ZRKRole::execAction(const std::string& action)
{
    if (actionPending && actionLocked)
        return;
    if (!player)
        return;
    if (!pendingAction.empty()) {
        ensureEquipment();
        player->loadItems(equipment, true);
    }
    player->execAction(action, "");
}

void ZRKRole::setPosition(float x, float y, float z)
{
    if (Ogre::SceneNode* node = player ? player->getMovable() : nullptr)
        node->setPosition(x, y, z);
}

Ogre::Vector3 ZRKRole::getPosition() const
{
    Ogre::SceneNode* node = player ? player->getMovable() : nullptr;
    return node ? node->getPosition() : Ogre::Vector3::ZERO;
}

void ZRKRole::ensureEquipment()
{
    if (!equipment.empty())
        return;
    equipment = buildItemSet(slotModels);
    for (const std::string& item : defaultItems)
        equipment.push_back(core::Equipment(item));
}

core::EquipmentList ZRKRole::withPendingAction(core::EquipmentList items) const
{
    if (actionPending && !pendingAction.empty())
        items.push_front(core::Equipment(pendingAction, kActionKind));
    return items;
}

void ZRKRole::loadEquipment()
{
    ensureEquipment();
    if (!player)
        return;
    if (!equipment.empty() && !(actionPending && !pendingAction.empty())) {
        player->loadItems(equipment, true);
        idleTime = 0;
        return;
    }
    core::EquipmentList items = withPendingAction(equipment);
    if (items.empty() && !look.empty())
        items.push_front(core::Equipment(look)); // the bare body
    player->loadItems(items, true);
    idleTime = 0;
}

core::EquipmentList ZRKRole::getEquipment()
{
    ensureEquipment();
    return equipment;
}

core::EquipmentList ZRKRole::buildDefaultEquipment() const
{
    core::EquipmentList items;
    for (const std::string& item : defaultItems)
        items.push_back(core::Equipment(item));
    return items;
}

void ZRKRole::copyFrom(ZRKRole& other)
{
    slotModels = other.slotModels;
    equipment = other.getEquipment();
    defaultItems = other.defaultItems;
    look = other.look;
    applyDefaultItems();
    loadEquipment();
}

void ZRKRole::update()
{
    if (turnHandler.empty())
        return;
    bool turn = false, left = true;
    turnHandler(turn, left);
    Ogre::SceneNode* node = player ? player->getMovable() : nullptr;
    if (!turn || !node)
        return;
    const Ogre::Degree angle(left ? 2.0f : -2.0f);
    node->setOrientation(Ogre::Quaternion(angle, Ogre::Vector3::UNIT_Y) * node->getOrientation());
}

void ZRKRole::tick(float dt, float maxTimeSpan)
{
    if (idleActions.empty())
        return;
    if (actionPending && !actionLocked && !pendingAction.empty() && idleIndex != -1 && player &&
        player->getMoodUri() == player->getAnimationUri()) {
        // The idle action is over: show the pending action's item again.
        ensureEquipment();
        player->loadItems(withPendingAction(equipment), true);
        idleIndex = -1;
    }
    idleTime += dt;
    if (idleTime >= maxTimeSpan + idleExtra) {
        idleTime = 0;
        idleExtra = randomExtra(floatSpan);
        idleIndex = std::rand() % static_cast<int>(idleActions.size());
        execAction(idleActions[static_cast<std::size_t>(idleIndex)]);
    }
}

} // namespace zrk
} // namespace kavri3D
