#pragma once

namespace Ogre {
class Camera;
class SceneManager;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// The engine's view of the game window's graphics for the code that films its scene from
/// elsewhere (snapshots, the camera tour): the default camera, its viewport and the OGRE
/// scene. Each is null without a graphics system (or, headless, without a viewport).
class GraphicsManager {
public:
    /// Visibility flag of things only the game window shows; hidden while a snapshot that
    /// asks for it renders.
    static constexpr unsigned kMainViewOnly = 0x80000000u;

    static Ogre::Camera* getDefaultCamera();
    static Ogre::Viewport* getDefaultViewport();
    static Ogre::SceneManager* getOgreSceneManager();

    /// Around a snapshot's render: 0 before (main-view-only things hide), 1 after (they
    /// show again). Nested renders restore only when the outermost one ends.
    static void switchMainView(int phase);
};

} // namespace core
} // namespace kavri3D
