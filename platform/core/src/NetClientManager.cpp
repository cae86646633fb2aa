#include "core/NetClientManager.h"

#include <core/BlackBoard.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::NetClientManager);

namespace kavri3D {
namespace core {

namespace {
std::string& runPath()
{
    static std::string path;
    return path;
}
} // namespace

void NetClientManager::setRunApplicationPath(const std::string& address) { runPath() = address; }

const std::string& NetClientManager::getRunApplicationPath() { return runPath(); }

std::string NetClientManager::getApplicationPath() const
{
    if (!runPath().empty())
        return runPath();
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
