#include "transport/TransportService.h"

namespace kavri3D {
namespace core {

TransportService& TransportService::instance()
{
    static TransportService theService;
    return theService;
}

std::string TransportService::getSetting(const std::string& name) const
{
    auto it = mSettings.find(name);
    return it == mSettings.end() ? std::string() : it->second;
}

} // namespace core
} // namespace kavri3D
