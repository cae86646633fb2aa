#pragma once
#include <string>
#include <yake/Vector3.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// The battle's radar: the map's box and picture from the land's radar settings, the picture
/// on the radar's material while the battle runs, and world positions on that picture.
class BattleRadar {
public:
    explicit BattleRadar(BattleRoom& room) : mRoom(room) {}
    BattleRadar(const BattleRadar&) = delete;
    BattleRadar& operator=(const BattleRadar&) = delete;

    /// Reads the land's radar settings once per land.
    void load();
    void setMapImage(const std::string& name);
    /// The radar's material shows no map, and the map's picture is released.
    void resetMap();
    /// A world position on the map's picture (x and y in pixels); false before the radar is
    /// known or for a box without extent, the position untouched.
    bool project(yake::math::Vector3& p) const;
    bool isLoaded() const { return mLoaded; }
    /// The next land reads its radar again.
    void forget() { mLoaded = false; }

private:
    BattleRoom& mRoom;
    int mImageWidth = 0, mImageHeight = 0;
    std::string mMaterial, mTexture;
    yake::math::Vector3 mMin, mMax;
    bool mLoaded = false;
};

} // namespace zrk
} // namespace kavri3D
