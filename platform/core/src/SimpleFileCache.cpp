#include "core/SimpleFileCache.h"

#include <core/BlackBoard.h>
#include <filesystem>

namespace kavri3D {
namespace core {

std::string SimpleFileCache::getFolder(const std::string& name)
{
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    return (bb ? bb->getString("kavri3D/cachedPath", "") : std::string()) + name + "/";
}

bool SimpleFileCache::create(const std::string& folder)
{
    mFolder = folder;
    std::error_code ec;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    mCreated = !ec;
    return mCreated;
}

void SimpleFileCache::destroy() { mCreated = false; }

} // namespace core
} // namespace kavri3D
