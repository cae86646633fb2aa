#pragma once
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <functional>
#include <map>
#include <string>
#include "core/Avatar.h"

namespace kavri3D {
namespace core {

/// The players the client has information on, by user name, and the news of their changes
/// (grade, looks or outfit). An avatar handed out stays valid (shared) when newer information
/// replaces it here. Updates are announced on the frame thread, so a slot may touch the screens.
class AvatarManager {
public:
    /// Bits of an update.
    enum Flags { Looks = 1, Grade = 2 };
    typedef boost::signals2::signal<void(const std::string&, int)> UpdateSignal;

    /// The avatar of that user; empty when none is known.
    AvatarPtr findAvatar(const std::string& name) const
    {
        auto it = mAvatars.find(name);
        return it == mAvatars.end() ? AvatarPtr() : it->second;
    }
    /// Keeps fresh information of a user (a new avatar, so lists holding the old one keep it).
    void putAvatar(const std::string& name, const XmlConfigHelper& settings)
    {
        mAvatars[name] = AvatarPtr(new Avatar(name, settings));
    }
    void clear() { mAvatars.clear(); }
    std::size_t size() const { return mAvatars.size(); }

    /// The slot hears every update (avatar id, flags) until the connection ends.
    boost::signals2::connection subscribeToUpdateSignal(const UpdateSignal::slot_type& slot);
    /// Announces an update to every subscriber.
    void fireUpdate(const std::string& avatarId, int flags);

private:
    std::map<std::string, AvatarPtr> mAvatars;
    UpdateSignal mUpdate;
};

} // namespace core
} // namespace kavri3D
