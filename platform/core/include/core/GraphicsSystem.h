#pragma once
#include <memory>
#include <string>
#include <util/Singleton.h>

namespace Ogre {
class Camera;
class DefaultHardwareBufferManager;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

class GuiSystem;

/// The engine's graphics: OGRE with its fixed-function GL render system and the game window,
/// CEGUI drawn into it, and the X11 events of that window (close, resize, mouse, keys) fed to
/// the GUI. Headless, the same scene graph works without a window (no textures, nothing
/// drawn) and the GUI runs on CEGUI's null renderer, so the game logic runs anywhere.
class GraphicsSystem : public Singleton<GraphicsSystem> {
public:
    struct WindowSpec {
        std::string title;
        int x = 0, y = 0;
        int width = 800, height = 600;
        bool visible = true;
        std::string logFile; // OGRE's log; empty: no log file
        /// The X window the game window lives in, filling it (the launcher's); 0: a
        /// top-level window of fixed size that cannot be maximised.
        unsigned long parent = 0;
        /// The program's icon (top-level only) and the pointer over the window, with the
        /// pointer's hot spot; empty: the X server's own.
        std::string iconFile;
        std::string cursorFile;
        int cursorHotX = 0, cursorHotY = 0;
    };

    /// Null (with a log line) when OGRE or the window cannot be brought up.
    static std::unique_ptr<GraphicsSystem> create(bool headless, const WindowSpec& spec);
    /// Whether an X display is named (the window needs one).
    static bool displayAvailable();
    ~GraphicsSystem();

    bool isHeadless() const { return mHeadless; }
    Ogre::Root* getRoot() const { return mRoot.get(); }
    Ogre::RenderWindow* getRenderWindow() const { return mWindow; }
    Ogre::SceneManager* getSceneManager() const { return mScene; }
    Ogre::Camera* getCamera() const { return mCamera; }
    Ogre::Viewport* getViewport() const { return mViewport; }
    GuiSystem* getGui() const { return mGui.get(); }

    /// Handles the window's pending events, steps the GUI and draws one frame (headless:
    /// only the GUI's time). False when drawing failed.
    bool renderOneFrame(float dt);
    /// Set when the player asked to close the window; cleared by takeCloseRequest.
    bool takeCloseRequest();
    void requestClose() { mCloseRequested = true; }
    /// Set when the window went away from outside (destroyed, or its X connection failed):
    /// nothing is drawn any more and the run ends as an offline close does. A destroyed
    /// window whose "kavri3D/win32QuitWhenDestroy" is false (a child of the launcher's window
    /// that is not embedded) is not lost in this sense: the game goes on without it.
    bool isWindowLost() const { return mWindowLost && mQuitWithWindow; }
    /// Nothing is drawn any more: the window is gone, whether the game goes on or not.
    bool isWindowGone() const { return mWindowLost; }
    unsigned getFramesRendered() const { return mFramesRendered; }

    /// The game window's X window (0 headless); child windows are made inside it.
    unsigned long getXWindow() const { return mXWindow; }
    /// The X connection the window lives on (OGRE's; null headless): a request on it about
    /// the window reaches this graphics' error handler.
    void* getXDisplay() const { return mDisplay; }

    void setTitle(const std::string& utf8Title);
    void setVisible(bool visible);
    void focus();
    /// Saves what the window shows; false headless or on failure.
    bool writeScreenshot(const std::string& file);
    /// Whether the window has the input focus (true without a window).
    bool isActive() const { return mActive; }
    /// Moves the pointer to the window position; to the window's middle.
    void warpPointer(int x, int y);
    void centrePointer();
    /// Share of pixels of the last frame that are not black (0..1); -1 headless.
    double nonBlackShare();
    /// Makes sure a codec reads the picture file: the codec plug-in for what the built-in ones
    /// cannot read (JPEG 2000) is loaded the first time such a file is asked for, not at
    /// start-up. False when none reads it.
    bool preparePictureCodec(const std::string& file);

private:
    GraphicsSystem() = default;
    bool startWindowed(const WindowSpec& spec);
    bool startHeadless();
    void createDefaultScene();
    void pumpWindowEvents();
    void installXHandlers();
    void openInputContext();
    void closeInputContext();
    /// The window is gone; whether the game goes on without it is read now.
    void loseWindow(const std::string& why, bool connectionLost = false);
    /// "kavri3D/win32FocusActivate", for a top-level window or an embedded child.
    bool takesFocusOnClick() const;
    friend struct XHandlers;

    std::unique_ptr<Ogre::LogManager> mLog;
    std::unique_ptr<Ogre::Root> mRoot;
    std::unique_ptr<Ogre::DefaultHardwareBufferManager> mBuffers;
    Ogre::RenderWindow* mWindow = nullptr;
    Ogre::SceneManager* mScene = nullptr;
    Ogre::Camera* mCamera = nullptr;
    Ogre::Viewport* mViewport = nullptr;
    std::unique_ptr<GuiSystem> mGui;
    bool mHeadless = true;
    bool mCloseRequested = false;
    bool mActive = true;
    bool mWindowLost = false;
    bool mQuitWithWindow = true;
    bool mXHandlersInstalled = false;
    bool mFullCodecsTried = false;
    void* mPreviousErrorHandler = nullptr;
    void* mPreviousIOErrorHandler = nullptr;
    unsigned mFramesRendered = 0;
    void* mDisplay = nullptr; // the window's X display (OGRE's connection)
    unsigned long mXWindow = 0;
    unsigned long mDeleteAtom = 0;
    void* mInputMethod = nullptr; // the X input method and the window's context in it
    void* mInputContext = nullptr;
    bool mInputContextTried = false;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::GraphicsSystem);
