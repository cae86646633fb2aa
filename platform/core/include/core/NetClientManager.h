#pragma once
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// Knows where the game's file server is.
class NetClientManager : public Singleton<NetClientManager> {
public:
    /// The file server's base address: the one set for this run when there is one, else
    /// "kavri3D/app/net/AppPath" when set, otherwise "http://" + "kavri3D/app/net/Host" (empty
    /// without a host).
    std::string getApplicationPath() const;

    /// The built-in file server's address for this run only (never a setting, so it is never
    /// written to the settings file); empty ends it.
    static void setRunApplicationPath(const std::string& address);
    static const std::string& getRunApplicationPath();
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::NetClientManager);
