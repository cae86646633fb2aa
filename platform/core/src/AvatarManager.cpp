#include "core/AvatarManager.h"

namespace kavri3D {
namespace core {

boost::signals2::connection AvatarManager::subscribeToUpdateSignal(const UpdateSignal::slot_type& slot)
{
    return mUpdate.connect(slot);
}

void AvatarManager::fireUpdate(const std::string& avatarId, int flags) { mUpdate(avatarId, flags); }

} // namespace core
} // namespace kavri3D
