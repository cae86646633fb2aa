#include "core/SimpleFileCache.h"

#include <core/BlackBoard.h>

namespace kavri3D {
namespace core {

std::string SimpleFileCache::getFolder(const std::string& name)
{
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    return (bb ? bb->getString("kavri3D/cachedPath", "") : std::string()) + name + "/";
}

} // namespace core
} // namespace kavri3D
