#pragma once
#include <cstddef>
#include <list>
#include <core/SnapShotScene.h>
#include <scene/BasicPlayer.h>

#include "rooms/GuiPicture.h"

namespace kavri3D {
namespace core {
class GrafixScene;
}
namespace zrk {
namespace gui {
class IGuiManager;
}

/// The portrait of one figure of the background scene: the role stands on the line
/// z = -15350, 100 units from its neighbours, and is shown only while its own picture
/// renders, filmed from 300 units in front (450 for the try-on model) at the height of its
/// feet, looking at a point 2.3 above them. The picture goes to the GUI under its image name.
class PlayerSnapShotScene : public core::SnapShotScene {
public:
    /// One portrait: the role, the snapshot, the image the GUI shows it as, where the role
    /// stands and where its camera stands.
    struct Placement {
        const char* role;
        const char* snapshot;
        const char* image;
        float x;
        float cameraZ;
    };
    /// The own figure, the seats "red1".."red4" and "blue1".."blue4" (their snapshots and
    /// images numbered from 0), and the try-on model.
    static const Placement kPlacements[10];
    static constexpr float kLineZ = -15350.0f;
    static constexpr float kLookHeight = 2.3f;
    /// How tall a figure stands, feet to hair, and how much of the picture's height it fills.
    static constexpr float kFigureHeight = 88.0f;
    static constexpr float kFigureFill = 0.85f;

    explicit PlayerSnapShotScene(core::GrafixScene* scene);
    ~PlayerSnapShotScene() override;

    /// The common part of every portrait's set-up: the GUI manager.
    void setupScene() override;
    /// Only the own avatars show, and the GUI is switched off, while the picture renders.
    void showEntities() override;
    void hideEntities() override;

    const std::list<core::BasicPlayerPtr>& getAvatars() const { return mAvatars; }
    gui::IGuiManager* getGuiManager() const { return mGuiManager; }

protected:
    /// The set-up of one portrait of the table.
    void setupPortrait(const Placement& placement);

private:
    /// The portrait's lens framed on its figure.
    static void fitFigure(const Placement& placement);
    core::GrafixScene* mSceneInstance;
    std::list<core::BasicPlayerPtr> mAvatars;
    gui::IGuiManager* mGuiManager = nullptr;
    GuiPicture mPicture;
};

} // namespace zrk
} // namespace kavri3D
