#include "core/NetClientManager.h"

#include <core/BlackBoard.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::NetClientManager);

namespace kavri3D {
namespace core {

std::string NetClientManager::getApplicationPath() const
{
    BlackBoard* bb = BlackBoard::getSingletonPtr();
    if (!bb)
        return std::string();
    std::string path = bb->getString("kavri3D/app/net/AppPath");
    if (!path.empty())
        return path;
    std::string host = bb->getString("kavri3D/app/net/Host");
    return host.empty() ? std::string() : "http://" + host;
}

} // namespace core
} // namespace kavri3D
