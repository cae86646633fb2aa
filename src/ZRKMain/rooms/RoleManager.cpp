#include "rooms/RoleManager.h"

#include <OgreQuaternion.h>

#include "rooms/BasicRoom.h"

namespace kavri3D {
namespace zrk {

std::unique_ptr<RoleManager> RoleManager::sInstance;

RoleManager& RoleManager::instance()
{
    if (!sInstance)
        sInstance.reset(new RoleManager);
    return *sInstance;
}

RoleManager* RoleManager::instancePtr() { return sInstance.get(); }

void RoleManager::destroyInstance() { sInstance.reset(); }

RoleManager::~RoleManager()
{
    for (auto& r : roles)
        if (r.second)
            r.second->destroy();
}

ZRKRolePtr RoleManager::createRole(const std::string& name, core::GrafixScene* scene)
{
    removeRole(name); // the old figure goes before the new one takes its name in the scene
    ZRKRolePtr role(new ZRKRole(name));
    role->create(scene);
    roles[name] = role;
    return role;
}

ZRKRolePtr RoleManager::getRole(const std::string& name) const
{
    auto it = roles.find(name);
    return it == roles.end() ? ZRKRolePtr() : it->second;
}

void RoleManager::removeRole(const std::string& name)
{
    auto it = roles.find(name);
    if (it == roles.end())
        return;
    if (it->second)
        it->second->destroy();
    roles.erase(it);
}

void RoleManager::update(float dt)
{
    for (auto& r : roles)
        if (r.second)
            r.second->tick(dt, maxTimeSpan);
}

void RoleManager::setRoom(BasicRoom* room)
{
    currentRoom = room;
    effectId = -1;
}

void RoleManager::playEffect(const std::string& effectName, const Ogre::Vector3& position)
{
    if (!currentRoom)
        return;
    if (effectId != -1)
        currentRoom->removeSceneEffect(effectId);
    effectId = currentRoom->addSceneEffect(effectName, 5.0f, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE,
                                           position);
}

} // namespace zrk
} // namespace kavri3D
