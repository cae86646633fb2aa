#pragma once
#include <map>
#include <string>
#include "core/Avatar.h"

namespace kavri3D {
namespace core {

/// The players the client has information on, by user name. An avatar handed out stays valid
/// (shared) when newer information replaces it here.
class AvatarManager {
public:
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

private:
    std::map<std::string, AvatarPtr> mAvatars;
};

} // namespace core
} // namespace kavri3D
