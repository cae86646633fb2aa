#pragma once
#include <memory>
#include <string>

namespace Ogre {
class Camera;
class Texture;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

class AbsRTTSnapShotImpl;
class SnapShotScene;

/// A named render-to-texture picture the GUI shows (a portrait, the try-on model, a prize
/// box). The slot exists from the start; its scene and its render target are attached later
/// and go again with reset. It owns both.
class SnapShotEx {
public:
    /// Mode bits: the main view's only-there things hide while it renders.
    static constexpr unsigned kHideMainViewOnly = 1;
    /// Mode bits: the camera starts with the default camera's lens and the viewport with its
    /// background.
    static constexpr unsigned kDefaultLens = 2;

    explicit SnapShotEx(unsigned flags);
    virtual ~SnapShotEx();
    SnapShotEx(const SnapShotEx&) = delete;
    SnapShotEx& operator=(const SnapShotEx&) = delete;

    /// Takes the scene (replacing the held one) and, when none is held yet, the render target
    /// (an implementation it does not keep is deleted). The texture's name, empty when the
    /// target could not be made; the scene is then held but not set up.
    virtual std::string attach(SnapShotScene* scene, AbsRTTSnapShotImpl* impl);
    /// The camera's lens and background (mode 2), then the scene's set-up.
    virtual void prepare();
    /// Around every render of the texture, once the render listener is added.
    virtual void preRender();
    virtual void postRender();

    /// Deletes the render target, then the scene; the slot can be attached again.
    void reset();
    SnapShotScene* getScene() const { return mScene.get(); }
    AbsRTTSnapShotImpl* getImpl() const { return mImpl.get(); }
    Ogre::Camera* getCamera() const;
    Ogre::Viewport* getViewport() const;
    Ogre::Texture* getTexture() const;

    /// From then on every render of the texture runs preRender and postRender.
    void addRenderListener();
    void removeRenderListener();

    unsigned getFlags() const { return mFlags; }
    /// Clears the mask bits, then sets the given bits.
    void setFlags(unsigned mask, unsigned bits) { mFlags = (mFlags & ~mask) | bits; }

    /// Renders once and writes the picture to the file; false without a render target or
    /// when the write fails.
    bool saveToFile(const std::string& file);

private:
    std::unique_ptr<AbsRTTSnapShotImpl> mImpl;
    unsigned mFlags;
    std::unique_ptr<SnapShotScene> mScene;
};

} // namespace core
} // namespace kavri3D
