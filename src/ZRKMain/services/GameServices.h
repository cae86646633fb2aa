#pragma once
#include <functional>
#include <string>
#include <win32/Windows.h>

namespace kavri3D {
namespace core {
class ClientState;
class ClientStateMachine;
class Frame;
class ISession;
class XmlConfigHelper;
} // namespace core

namespace zrk {
class EquipRes;
class ZRKLan;
class ZRKRoleRes;
class ZRKSession;
namespace gui {
class IGuiManager;
}

/// The look-ups every area of the game needs at the moment of use: the session, the main frame
/// for message boxes, the GUI plug-in's manager, the player's settings, the texts, the equipment
/// and figure resources, the state machine, the clock and the random source. Each gives null
/// when that part does not exist (before start-up, after shut-down), so any area may ask at any
/// time.
///
/// The rooms, events, battle and agent sit below the shell and never include it. What they need
/// of it (the plug-in's manager, the settings file, the downloads) the shell registers here as a
/// hook at start-up and clears when it goes; a hook nobody registered answers null or does
/// nothing.
class GameServices {
public:
    /// What the layers above register for the layers below to call.
    struct Hooks {
        /// The GUI plug-in's manager (the plug-in's loader, while one is loaded).
        std::function<gui::IGuiManager*()> guiManager;
        /// The user settings the game remembers the player's choices in (the module object).
        std::function<core::XmlConfigHelper*()> settings;
        /// Writes the user settings to their file now (the module object).
        std::function<void()> saveSettings;
        /// One step of the background downloads, paced by the downloader itself.
        std::function<void()> tickPrefetch;
        /// Fetches a product at once, ahead of the background downloads.
        std::function<void(const std::string&)> prefetchNow;
        /// Hands the GUI resource downloader a callback, called with true once every GUI
        /// resource file is present (a later one replaces it).
        std::function<void(const std::function<void(bool)>&)> requestResources;
        /// Shows the seats of the game room the player sits in afresh (the room view's listener).
        std::function<void()> refreshRoom;
        /// Writes the audio volumes to the application's settings (the running application).
        std::function<void()> saveVolumes;
        /// The volume sliders' register of the sounds that follow the music volume: (id, true)
        /// follows a sound, (id, false) lets it go.
        std::function<void(unsigned int, bool)> followSound;
        /// Marks the tutorial's current step done (the tutorial's state, while it lives).
        std::function<void()> tutorialStepDone;
    };
    /// The registered hooks; the registrant clears its hook when it goes.
    static Hooks& hooks();

    static ZRKSession* session();
    /// The running application's session as the framework sees it.
    static core::ISession* coreSession();
    /// The frame lent by screens hosted without the whole game (tests), else the running
    /// application's main frame.
    static core::Frame* frame();
    static gui::IGuiManager* guiManager();
    static core::XmlConfigHelper* settings();
    /// Writes the user settings to their file now, so a change lasts whatever ends the run.
    static void saveSettings();
    /// The text library (message keys to texts).
    static ZRKLan* texts();
    /// The equipment resources (icons, models, the default look) and the figures' resources;
    /// each registers itself for its lifetime.
    static EquipRes* equipment();
    static ZRKRoleRes* roleResources();
    static void provide(EquipRes* equipment);
    static void withdraw(EquipRes* equipment);
    static void provide(ZRKRoleRes* roleResources);
    static void withdraw(ZRKRoleRes* roleResources);

    static core::ClientStateMachine* stateMachine();
    static core::ClientState* currentState();
    /// The current state when it has that name, else null.
    static core::ClientState* currentStateIf(const std::string& name);
    /// Where a new player goes first: the tutorial battle, or the area choice while the
    /// tutorial's state is not there.
    static const char* newPlayerState();
    /// Goes on to the state; when it cannot be entered, the player is logged out and taken
    /// back to the log-in screen with a box saying why. False then.
    static bool teleportOrLogOut(const std::string& state);

    /// The game window's handle from "kavri3D/win32RenderWindow", null when it names no window.
    static HWND renderWindow();
    /// A scene's music follows the volume sliders from now on (or no longer); nothing while
    /// there is no slider screen.
    static void followSound(long soundId, bool follow);

    /// Game time in seconds (the settable yake clock).
    static double now();
    /// A number in [0, 1) from the settable random source.
    static float unitRandom();
    /// A whole number in [0, span) from the settable random source; 0 when span is not positive.
    static int randomBelow(int span);

    /// Online: tells the server the player is gone (the framework then ends the run); offline:
    /// quits at once.
    static void exitGame();
    /// Online: goes back to the log-on state.
    static void backToLogon();
    static void tickPrefetch();
    static void prefetchNow(const std::string& product);
    /// Waits for the lobby's GUI resources (see Hooks). False when there is no downloader: the
    /// resources then count as present and the caller goes on at once.
    static bool requestResources(const std::function<void(bool)>& done);
    /// The personal room, entered: the room view's listener shows its seats; nothing without one.
    static void refreshRoom();
    /// Marks the tutorial's current step done; false when no tutorial state is there.
    static bool tutorialStepDone();

    /// Lends a frame to the game while the application has none (screens hosted without the
    /// whole game, such as the event and room tests); the loan ends with the object.
    class FrameLoan {
    public:
        explicit FrameLoan(core::Frame& frame);
        ~FrameLoan();
        FrameLoan(const FrameLoan&) = delete;
        FrameLoan& operator=(const FrameLoan&) = delete;

    private:
        core::Frame* mPrevious;
    };
};

} // namespace zrk
} // namespace kavri3D
