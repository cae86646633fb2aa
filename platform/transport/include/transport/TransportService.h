#pragma once
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// The download service's settings (speed limits, parallel clients). There is no network
/// here: the settings are kept for whoever asks.
class TransportService {
public:
    static TransportService& instance();
    void setSetting(const std::string& name, const std::string& value) { mSettings[name] = value; }
    std::string getSetting(const std::string& name) const;

private:
    std::map<std::string, std::string> mSettings;
};

} // namespace core
} // namespace kavri3D
