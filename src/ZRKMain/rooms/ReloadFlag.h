#pragma once

namespace kavri3D {
namespace zrk {

/// "Reset the screens on the next entry": armed by the log-in chain once the player is in,
/// taken by the room's next createScene. Shared by the log-on state and the personal room.
class ReloadFlag {
public:
    explicit ReloadFlag(bool armed) : reloadOnEnter(armed) {}

    void markReload() { reloadOnEnter = true; }
    void clearReload() { reloadOnEnter = false; }
    bool isReloadMarked() const { return reloadOnEnter; }

protected:
    bool reloadOnEnter;
};

} // namespace zrk
} // namespace kavri3D
