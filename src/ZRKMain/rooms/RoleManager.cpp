#include "rooms/RoleManager.h"

#include <OgreQuaternion.h>

#include "rooms/BasicRoom.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::RoleManager);

namespace kavri3D {
namespace zrk {

RoleManager::~RoleManager()
{
    for (auto& r : mRoles)
        if (r.second)
            r.second->destroy();
}

ZRKRolePtr RoleManager::createRole(const std::string& name, core::GrafixScene* scene)
{
    removeRole(name); // the old figure goes before the new one takes its name in the scene
    ZRKRolePtr role(new ZRKRole(name));
    role->create(scene);
    mRoles[name] = role;
    return role;
}

ZRKRolePtr RoleManager::getRole(const std::string& name) const
{
    auto it = mRoles.find(name);
    return it == mRoles.end() ? ZRKRolePtr() : it->second;
}

void RoleManager::removeRole(const std::string& name)
{
    auto it = mRoles.find(name);
    if (it == mRoles.end())
        return;
    if (it->second)
        it->second->destroy();
    mRoles.erase(it);
}

void RoleManager::update(float dt)
{
    for (auto& r : mRoles)
        if (r.second)
            r.second->tick(dt, mMaxTimeSpan);
}

void RoleManager::setRoom(BasicRoom* room)
{
    mCurrentRoom = room;
    mEffectId = -1;
}

void RoleManager::playEffect(const std::string& effectName, const Ogre::Vector3& position)
{
    if (!mCurrentRoom)
        return;
    if (mEffectId != -1)
        mCurrentRoom->removeSceneEffect(mEffectId);
    mEffectId =
        mCurrentRoom->addSceneEffect(effectName, 5.0f, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE, position);
}

} // namespace zrk
} // namespace kavri3D
