#pragma once
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// Knows where the game's file server is.
class NetClientManager : public Singleton<NetClientManager> {
public:
    /// The file server's base address: "kavri3D/app/net/AppPath" when set, otherwise
    /// "http://" + "kavri3D/app/net/Host" (empty without a host).
    std::string getApplicationPath() const;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::NetClientManager);
