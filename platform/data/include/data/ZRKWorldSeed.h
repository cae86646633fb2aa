#pragma once
#include <json/json.h>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKWorld;

/// Fills a new world from the fixture folder: accounts.json, players.json, itemclasses.json,
/// master.json and libs.json, each read whole (no larger than 1 MB, nested no deeper than
/// jsoncpp's stack limit). The first broken file or entry stops the seeding; error() then
/// names it. The caller's transaction makes that all or nothing.
class ZRKWorldSeed {
public:
    ZRKWorldSeed(ZRKWorld& world, const std::string& folder);
    bool run();
    const std::string& error() const { return mError; }

    /// A fixture file of the folder, parsed; false (with the reason) when it is missing,
    /// too large, too deep or not JSON.
    static bool readFixture(const std::string& path, Json::Value& out, std::string& why);
    static constexpr std::size_t kMaxFixture = 1024 * 1024;

private:
    bool seedAll();
    bool fail(const std::string& why);
    bool read(const char* file, Json::Value& out);
    bool seedItems(const Json::Value& doc);
    bool seedAccounts(const Json::Value& doc);
    bool seedPlayer(const std::string& name, const Json::Value& p);
    bool putDocument(const std::string& name, const Json::Value& value);

    ZRKWorld& mWorld;
    std::string mFolder;
    std::string mFile;
    std::string mError;
};

} // namespace zrk
} // namespace kavri3D
