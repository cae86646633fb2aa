#pragma once

namespace kavri3D {
namespace core {

/// The content of a snapshot: placed once, and shown only while its own picture renders, so
/// that several snapshots can share one scene without appearing in each other's pictures.
class SnapShotScene {
public:
    virtual ~SnapShotScene() = default;
    /// Once, when the snapshot takes the scene: models, camera, the picture for the GUI.
    virtual void setupScene() = 0;
    /// Before each render of the snapshot's picture.
    virtual void showEntities() = 0;
    /// After each render.
    virtual void hideEntities() = 0;
};

} // namespace core
} // namespace kavri3D
