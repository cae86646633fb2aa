#pragma once
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <functional>
#include <string>

namespace kavri3D {
namespace core {

/// Tells the game when an avatar changed (its player's grade, looks or outfit). Updates are
/// announced on the frame thread, so a slot may touch the screens directly.
class AvatarManager {
public:
    /// Bits of an update.
    enum Flags { Looks = 1, Grade = 2 };
    typedef boost::signals2::signal<void(const std::string&, int)> UpdateSignal;

    /// The slot hears every update (avatar id, flags) until the connection ends.
    boost::signals2::connection subscribeToUpdateSignal(const UpdateSignal::slot_type& slot);
    /// Announces an update to every subscriber.
    void fireUpdate(const std::string& avatarId, int flags);

private:
    UpdateSignal mUpdate;
};

} // namespace core
} // namespace kavri3D
