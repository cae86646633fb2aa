#pragma once
#include <vector>

namespace Hikari {
class FlashControl;
class FlashValue;
} // namespace Hikari

namespace kavri3D {
namespace core {
class HikariPane;
} // namespace core

namespace zrk {

/// What a Flash movie in a pane may ask of the game, by the names the movies call: the
/// player's ids, the server's address, and the place changes the game does not follow.
class FlashCallbacks {
public:
    /// Binds every callback of the table to the pane's movie; nothing without a movie.
    static void bind(core::HikariPane* pane);
    /// Unbinds every callback of the table from the pane's movie.
    static void unbind(core::HikariPane* pane);

    static Hikari::FlashValue teleport(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue refresh(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue uid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue sid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue userInfo(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue hostUrl(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
};

} // namespace zrk
} // namespace kavri3D
