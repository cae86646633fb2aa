#pragma once
#include <string>
#include <core/SnapShotScene.h>

#include "rooms/GuiPicture.h"

namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace core {
class GrafixScene;
}
namespace zrk {
namespace gui {
class IGuiManager;
}

/// A prize box in a site of its own of the background scene (at x, z = -7000, turned 25
/// degrees), filmed from 600 up and 2000 in front. The box is placed at construction and
/// stays visible; its picture goes to the GUI under the site's name.
class BoxSnapShotScene : public core::SnapShotScene {
public:
    BoxSnapShotScene(core::GrafixScene* scene, const std::string& siteName, const std::string& productName, float x);
    ~BoxSnapShotScene() override;

    void setupScene() override;
    void showEntities() override;
    void hideEntities() override;
    /// Plays the box's own animation once; nothing without its site or model.
    virtual void playAnimation();

    long getItemId() const { return mItemId; }
    const std::string& getSiteName() const { return mSiteName; }
    const std::string& getProductName() const { return mProductName; }
    float getX() const { return mX; }

private:
    core::GrafixScene* mSceneInstance;
    gui::IGuiManager* mGuiManager = nullptr;
    long mItemId = -1;
    Ogre::SceneNode* mSiteMovable = nullptr;
    std::string mSiteName;
    std::string mProductName;
    float mX;
    GuiPicture mPicture;
};

} // namespace zrk
} // namespace kavri3D
