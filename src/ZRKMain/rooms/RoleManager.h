#pragma once
#include <OgreVector.h>
#include <map>
#include <memory>
#include <string>

#include "rooms/ZRKRole.h"

namespace kavri3D {
namespace core {
class GrafixScene;
}
namespace zrk {

class BasicRoom;

/// The roles by name, and the room they are shown in, whose scene effects a role may set off.
class RoleManager {
public:
    /// Made on first use.
    static RoleManager& instance();
    /// Null when none exists.
    static RoleManager* instancePtr();
    /// The next instance() starts empty.
    static void destroyInstance();

    virtual ~RoleManager();

    /// A role of that name already there is destroyed first.
    ZRKRolePtr createRole(const std::string& name, core::GrafixScene* scene);
    /// Null for a name never created (nothing is added).
    ZRKRolePtr getRole(const std::string& name) const;
    void removeRole(const std::string& name);
    std::size_t roleCount() const { return mRoles.size(); }
    /// Idle ticks of every role, in name order.
    void update(float dt);

    void setRoom(BasicRoom* room);
    BasicRoom* getRoom() const { return mCurrentRoom; }
    /// At most one such effect at a time, each for five seconds; nothing without a room.
    void playEffect(const std::string& effectName, const Ogre::Vector3& position);
    long getEffectId() const { return mEffectId; }
    void setMaxTimeSpan(float seconds) { mMaxTimeSpan = seconds; }
    float getMaxTimeSpan() const { return mMaxTimeSpan; }

private:
    RoleManager() = default;
    RoleManager(const RoleManager&) = delete;
    RoleManager& operator=(const RoleManager&) = delete;

    std::map<std::string, ZRKRolePtr> mRoles;
    BasicRoom* mCurrentRoom = nullptr;
    long mEffectId = -1;
    float mMaxTimeSpan = 5.0f;

    static std::unique_ptr<RoleManager> sInstance;
};

} // namespace zrk
} // namespace kavri3D
