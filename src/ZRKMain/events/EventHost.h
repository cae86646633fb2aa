#pragma once
#include <string>

namespace kavri3D {
namespace core {
class Frame;
class XmlConfigHelper;
} // namespace core

namespace zrk {
class ZRKSession;
namespace gui {
class IGuiManager;
}

/// Where the game's events reach the running game at the moment of use: the session, the
/// main frame for message boxes, the GUI plug-in's manager and the player's settings. Each
/// gives null when that part does not exist (before start-up, after shut-down).
class EventHost {
public:
    static ZRKSession* session();
    /// The application's main frame, or the frame lent while the application has none.
    static core::Frame* frame();
    static gui::IGuiManager* guiManager();
    /// The user settings the log-in screen remembers the player's name in.
    static core::XmlConfigHelper* settings();
    /// Where a new player goes first: the tutorial battle, or the area choice while the
    /// tutorial's state is not there.
    static const char* newPlayerState();
    /// Goes on to the state; when it cannot be entered, the player is logged out and taken
    /// back to the log-in screen with a box saying why. False then.
    static bool teleportOrLogOut(const std::string& state);

    /// Lends a frame to the events while the application has none (screens hosted without the
    /// whole game, such as the event tests); the loan ends with the object.
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
