#include "server/ZRKRevives.h"

#include <util/ReviveTable.h>
#include <yake/Logger.h>
#include "server/ZRKWorldSeed.h"

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKGameServer");
} // namespace
namespace zrk {

void ZRKRevives::load(const std::string& settingsFile)
{
    Json::Value settings;
    std::string why;
    const bool read = ZRKWorldSeed::readFixture(settingsFile, settings, why) && settings.isObject();
    for (bool pve : {false, true}) {
        const char* key = core::ReviveTable::settingKey(pve);
        const Json::Value& text = read ? settings[key] : Json::Value::nullSingleton();
        if (!setTable(pve, text.isString() ? text.asString() : std::string()))
            logLine(Severity::Error, settingsFile + ": no sound " + key + "; no such revive is sold");
    }
}

bool ZRKRevives::setTable(bool pve, const std::string& text)
{
    return core::ReviveTable::read(text, mTables[pve ? 1 : 0]);
}

int ZRKRevives::done(const std::string& room, const std::string& seed, const std::string& player) const
{
    const auto b = mBattles.find(room);
    if (b == mBattles.end() || b->second.seed != seed)
        return 0;
    const auto p = b->second.done.find(player);
    return p == b->second.done.end() ? 0 : p->second;
}

bool ZRKRevives::price(const std::string& room, const std::string& seed, const std::string& player, bool pve,
                       int& currency, int& cost, std::string& why) const
{
    const Json::Value& table = mTables[pve ? 1 : 0];
    const int bought = done(room, seed, player);
    if (bought >= core::ReviveTable::allowed(table)) {
        why = player + " has no revive left in the battle of " + room + " (" + std::to_string(bought) + " bought)";
        return false;
    }
    if (!core::ReviveTable::priceOf(table, bought, currency, cost)) {
        why = "no revive price for the battle of " + room;
        return false;
    }
    return true;
}

void ZRKRevives::count(const std::string& room, const std::string& seed, const std::string& player)
{
    Battle& b = mBattles[room];
    if (b.seed != seed) {
        b.seed = seed; // the room fights a new battle: its counts start again
        b.done.clear();
    }
    ++b.done[player];
}

} // namespace zrk
} // namespace kavri3D
