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
///
/// The game's own data (the items and their classes, master.json, libs.json) belongs to the
/// fixtures, not to the world: a world made from an older set has it brought up to date at
/// each start by refreshGameData, which leaves the players, accounts, bags and quests alone.
class ZRKWorldSeed {
public:
    ZRKWorldSeed(ZRKWorld& world, const std::string& folder);
    bool run();
    /// The game data of a seeded world made the fixtures' again: items written anew, items the
    /// fixtures no longer list dropped unless a player holds one, the documents replaced.
    bool refreshGameData();
    const std::string& error() const { return mError; }
    /// A print of the game data files as they are in the folder (empty when one cannot be read):
    /// the world keeps the one it last read, so an unchanged set costs no write at start.
    static std::string gameDataPrint(const std::string& folder);

    /// A fixture file of the folder, parsed; false (with the reason) when it is missing,
    /// too large, too deep or not JSON.
    static bool readFixture(const std::string& path, Json::Value& out, std::string& why);
    static constexpr std::size_t kMaxFixture = 1024 * 1024;

private:
    bool seedAll();
    bool seedGameData();
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
