#pragma once
#include <CEGUI/Event.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <util/Singleton.h>

namespace CEGUI {
class Logger;
class Renderer;
class Window;
} // namespace CEGUI

namespace Ogre {
class RenderTarget;
}

namespace kavri3D {
namespace core {

/// The CEGUI system of the game window: the renderer (OGRE's on the real window, the null
/// renderer when there is no display), the data folders, the "TaharezLook" scheme, the default
/// font and cursor, and the full-screen root sheet every frame and panel hangs under.
class GuiSystem : public Singleton<GuiSystem> {
public:
    /// No display: CEGUI's null renderer at the given size.
    static std::unique_ptr<GuiSystem> createHeadless(float width, float height);
    /// Drawn by OGRE into the target (the game window) inside each rendered frame.
    static std::unique_ptr<GuiSystem> createForOgre(Ogre::RenderTarget& target);
    ~GuiSystem();

    CEGUI::Window* getRootWindow() const { return mRoot; }
    bool isHeadless() const { return mHeadless; }
    /// Steps CEGUI's time (animations, tooltips) by dt seconds; first destroys the windows
    /// left for the next frame.
    void injectTimePulse(float dt);
    /// Destroys the window at the start of the next frame instead of now: a window must not
    /// go while CEGUI is still inside one of its event handlers (a box's button closing its
    /// own box). One that goes some other way first is simply forgotten.
    void destroyLater(CEGUI::Window* window);
    /// Destroys the windows left for the next frame now; only outside CEGUI's event handlers.
    void destroyPendingWindows();
    /// The folder CEGUI's own data is read from.
    static std::string dataFolder();
    /// Makes a folder's files (and its sub-folders') readable by the GUI under a resource group
    /// name; no engine scripts are read from it.
    void addResourceFolder(const std::string& group, const std::string& folder);

private:
    GuiSystem() = default;
    void setUp();
    /// CEGUI's log, made before its system so that it does not make its own in the run folder.
    void makeLogger();

    CEGUI::Renderer* mRenderer = nullptr;
    CEGUI::Logger* mLogger = nullptr; // ours, when CEGUI had none
    CEGUI::Window* mRoot = nullptr;
    /// Windows left for the next frame, each with its watch for going some other way first.
    std::vector<std::pair<CEGUI::Window*, CEGUI::Event::Connection>> mDestroyLater;
    bool mHeadless = true;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::GuiSystem);
