#pragma once
#include <map>
#include <string>
#include <vector>
#include <CEGUI/Event.h>
#include <core/ScopedEventConnection.h>
#include <util/Singleton.h>

namespace CEGUI {
class AnimationInstance;
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace core {

/// Loads the GUI's animation definitions from a resource file and plays them on windows.
///
/// A window joins under an animation set ("zrk_ani"); a state of the set ("fade_up") is the
/// definition named "<set>/<state>", which then runs on the window alone, replacing the state
/// it played before. A window leaves the library when it is removed or destroyed, so no
/// animation ever steps a window that is gone.
class CEGUIAnimationLib : public Singleton<CEGUIAnimationLib> {
public:
    CEGUIAnimationLib() = default;
    ~CEGUIAnimationLib();
    CEGUIAnimationLib(const CEGUIAnimationLib&) = delete;
    CEGUIAnimationLib& operator=(const CEGUIAnimationLib&) = delete;

    /// The game's one library, made on first use.
    static CEGUIAnimationLib& instance();
    /// False (with a log line) when there is no GUI system or the file is missing or broken.
    bool loadAnimationsFromResource(const std::string& file, const std::string& group);
    int loadedCount() const { return mLoaded; }

    /// The window plays states of the set from now on; false without a window or GUI system.
    bool addWindow(CEGUI::Window* window, const std::string& animation);
    /// (Re)defines the set's state as a looping change of one property through the values, each
    /// held for `seconds`. A definition of that name is replaced: the windows playing it stop
    /// first (they stay in the library), so nothing plays a definition that is gone.
    bool defineLoop(const std::string& animation, const std::string& state, const std::string& property,
                    const std::vector<std::string>& values, float seconds);
    /// The window found by its path under the GUI's root window.
    bool addWindow(const std::string& path, const std::string& animation);
    /// Starts the set's state on the window from its beginning; false when the window is not
    /// in the library or the set has no such state (the window keeps what it played).
    bool setAnimationState(CEGUI::Window* window, const std::string& state);
    bool setAnimationState(const std::string& path, const std::string& state);
    /// Stops what the window plays and forgets it; nothing for a window not in the library.
    void removeWindow(CEGUI::Window* window);
    void removeWindow(const std::string& path);

    bool hasWindow(const CEGUI::Window* window) const { return mWindows.count(const_cast<CEGUI::Window*>(window)) > 0; }
    /// The state the window plays ("" for none or for a window not in the library).
    std::string getAnimationState(const CEGUI::Window* window) const;
    std::size_t windowCount() const { return mWindows.size(); }

    /// The window at the path under the default GUI context's root; null when there is none.
    static CEGUI::Window* findWindow(const std::string& path);

private:
    struct Entry {
        std::string animation;
        std::string state;
        CEGUI::AnimationInstance* instance = nullptr;
        ScopedEventConnection destroyed;
    };
    bool onWindowDestroyed(const CEGUI::EventArgs& args);
    static void stop(Entry& entry);

    int mLoaded = 0;
    std::map<CEGUI::Window*, Entry> mWindows;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::CEGUIAnimationLib);
