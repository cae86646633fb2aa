#pragma once
#include <string>
#include <core/ClientState.h>

namespace Ogre {
class Camera;
class SceneManager;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// A client state that shows a 3D scene: entering it creates the scene, leaving it destroys
/// it. The scene lives in the game window's OGRE scene (the graphics system's scene manager,
/// camera and viewport); without a graphics system those are null and the state still runs.
class GrafixClientState : public ClientState {
public:
    ~GrafixClientState() override;

    void onEnter(const std::string& params) override;
    void onExit() override;
    void onFrame(float dt) override {}

    /// Sets up what the state shows; derived states call it first from their own.
    virtual void createScene();
    /// Takes down what createScene set up; derived states call it last from their own.
    virtual void destroyScene();

    bool hasScene() const { return mSceneCreated; }
    /// The parameter text the state was last entered with.
    const std::string& getEnterParams() const { return mEnterParams; }

    Ogre::SceneManager* getSceneManager() const;
    Ogre::Camera* getCamera() const;
    Ogre::Viewport* getViewport() const;

    /// A locked camera does not follow the player's dragging; unlocked again on leaving.
    void lockCamera(bool locked) { mCameraLocked = locked; }
    bool isCameraLocked() const { return mCameraLocked; }

private:
    std::string mEnterParams;
    bool mSceneCreated = false;
    bool mCameraLocked = false;
};

} // namespace core
} // namespace kavri3D
