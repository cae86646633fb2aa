#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// What all copies of a weapon slot share: how ready it is and whether its shell flies.
struct WeaponShared {
    float readiness = 1.0f; ///< 0 just fired .. 1 cooled down
    int busy = 0;           ///< shells of it in the air
};

/// One weapon slot of a doll. An empty name is an empty slot.
struct WeaponState {
    std::string name; ///< the item id as text
    int itemId = 0;
    int kind = 0;        ///< WeaponKind
    float speed = 0.0f;  ///< "i_speed"
    int damage = 0;      ///< "i_damage": damage at the blast's centre
    float radius = 0.0f; ///< "i_radius": damage falls to 0 at this distance
    float crater = 0.0f; ///< "i_crater": radius of the hole it digs
    int delay = 0;       ///< "i_delay": turn delay of a shot
    float cdTime = 0.0f; ///< "i_cd_time" in seconds
    int shellMax = 0;    ///< "i_shell_num": 0 means unlimited
    bool limited = false;
    float lastUse = -1.0f;          ///< land time of the last shot; -1 never
    core::XmlConfigHelper settings; ///< the item record's values as texts ("i_speed", ...)
    boost::shared_ptr<WeaponShared> shared{new WeaponShared};

    bool empty() const { return name.empty(); }
    int getCount() const { return mCount; }
    /// Shells left; never below 0 nor above the weapon's number.
    void setCount(int count);
    const core::XmlConfigHelper& getSettings() const { return settings; }

private:
    int mCount = 0;
};

} // namespace zrk
} // namespace kavri3D
