#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// One weapon of the weapon library as the lobby shows it: its model, the models its
/// enhancement levels switch to, and the poses a character holds it in.
struct WeaponInfo {
    struct Animation {
        std::string name; ///< the character's action played with the weapon
        int kind = 'a';   ///< 'a' the held pose the lobby and the shop show
        int variant = 0;
    };
    std::string id;
    std::string name;
    std::string model;
    std::map<int, std::string> enhModels; ///< from this enhancement level on, this model
    std::vector<Animation> animations;
};

typedef boost::shared_ptr<WeaponInfo> WeaponInfoPtr;

} // namespace zrk
} // namespace kavri3D
