#pragma once
#include <string>
#include <core/SnapShotScene.h>
#include <yake/Vector3.h>

#include "battle/BattleRoom.h"
#include "rooms/GuiPicture.h"

namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace core {
class GrafixScene;
class SnapShotEx;
} // namespace core
namespace zrk {

/// The wind vane: a small arrow far from the field (by default at 0, 0, 10000) filmed into a
/// texture of its own that the GUI shows as the image "vane". Each frame it points the way the
/// wind blows as seen from where the own doll faces; it is visible only while its own texture
/// renders.
class BattleRoom::VaneSnapShotScene : public core::SnapShotScene {
public:
    /// In the room's scene unless another is given.
    VaneSnapShotScene(core::SnapShotEx* snapshot, BattleRoom* room, core::GrafixScene* scene = nullptr);
    ~VaneSnapShotScene() override;

    void setupScene() override;
    void showEntities() override;
    void hideEntities() override;
    /// Turns the vane from the facing to the wind, both flattened onto the ground; nothing
    /// when the turn differs from the current one by less than 0.0001 in every component.
    void updateWind(const yake::math::Vector3& wind, const yake::math::Vector3& facing);

    // What tests look at.
    long getFurnishId() const { return mFurnishId; }
    Ogre::SceneNode* getVaneMovable() const { return mVaneMovable; }
    const std::string& getSiteName() const { return mSiteName; }

private:
    BattleRoom* mRoom;
    core::GrafixScene* mSceneInstance;
    core::SnapShotEx* mSnapshot;
    GuiPicture mPicture; ///< the image "vane" over the snapshot's texture
    std::string mSiteName;
    long mFurnishId = -1;
    Ogre::SceneNode* mVaneMovable = nullptr;
    gui::IGuiManager* mGuiManager = nullptr;
};

} // namespace zrk
} // namespace kavri3D
