#pragma once
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace core {

/// One game server of the server list.
class NetServer {
public:
    std::string name;
    std::string host;
    std::string port;
    std::string msgHost;

    /// Writes the server into an application configuration view ("net/Host", "net/Port",
    /// "net/Name", and "msg/host" when the entry names a chat host).
    void write(XmlConfigHelper& config) const;
};

/// The list of game servers, read from XML:
/// <servers><server name=".." host=".." port=".." msghost=".."/>...</servers>
/// Entries without a host are skipped.
class NetServerList {
public:
    /// false when the file is missing, too large, nested too deep or not a server list; the
    /// list is then empty and `error` (when given) says why.
    bool readFromXmlFile(const std::string& file, std::string* error = nullptr);
    std::size_t size() const { return mServers.size(); }
    const NetServer& at(std::size_t i) const { return mServers.at(i); }
    /// The first server of that name; null for none.
    const NetServer* find(const std::string& name) const;

private:
    std::vector<NetServer> mServers;
};

} // namespace core
} // namespace kavri3D
