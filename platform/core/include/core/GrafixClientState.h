#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <memory>
#include <string>
#include <core/Camera.h>
#include <core/ClientState.h>

namespace Ogre {
class Camera;
class SceneManager;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// What a state lets the dragging of the cursor do (the state registers one).
class IDragCursorModule {
public:
    virtual ~IDragCursorModule() = default;
    virtual bool acceptDrag() = 0;
    /// The controllers start afresh (the drag begins or ends).
    virtual void restartControllers() = 0;
    virtual void onDragChanged(bool on) = 0;
};

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

    /// The state's camera and its controllers; made with the scene (null before).
    Camera* getCameraController() const { return mCamera.get(); }
    /// Called once the camera exists: the state binds its controllers.
    virtual void onCameraCreated() {}
    /// The dragging cursor: while on, the mouse's motion goes to the camera's controllers.
    void regDragCursor(const boost::shared_ptr<IDragCursorModule>& module) { mDragModule = module; }
    const boost::shared_ptr<IDragCursorModule>& getDragCursorModule() const { return mDragModule; }
    void dragCursor(bool on);
    bool isDragCursor() const { return mDragCursor; }
    /// Whether the mouse's motion reaches the camera at all.
    void enableMouseInputs(bool on);
    bool areMouseInputsEnabled() const { return mMouseInputs; }
    /// Whether a drag may begin; the module decides.
    virtual bool dragCursorDetect();
    /// The drag starts afresh: the controllers forget what they gathered.
    virtual void dragCursorReset();
    /// A locked camera does not follow the player's dragging; unlocked again on leaving.
    void lockCamera(bool locked) { mCameraLocked = locked; }
    bool isCameraLocked() const { return mCameraLocked; }

private:
    void onMouseMove(float dx, float dy, float wheel);

    std::string mEnterParams;
    std::unique_ptr<Camera> mCamera;
    boost::shared_ptr<IDragCursorModule> mDragModule;
    boost::signals2::scoped_connection mMouseConnection;
    bool mDragCursor = false;
    bool mMouseInputs = false;
    bool mSceneCreated = false;
    bool mCameraLocked = false;
};

} // namespace core
} // namespace kavri3D
