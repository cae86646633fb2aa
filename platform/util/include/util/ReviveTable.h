#pragma once
#include <json/value.h>
#include <string>

namespace kavri3D {
namespace core {

/// The price list of paid revives in a battle, as the settings "battle/pvp_pacemaker" and
/// "battle/pve_pacemaker" hold it ("0, 3, 1, 100, 1, 200": unused, revives allowed, then
/// (currency, cost) pairs; pair k prices the revive after k done, the last pair every later
/// one). The battle's panel offers from it and the server charges from it, so both agree.
class ReviveTable {
public:
    /// The setting that prices revives of a battle of that kind.
    static const char* settingKey(bool pve) { return pve ? "battle/pve_pacemaker" : "battle/pvp_pacemaker"; }

    /// The table of a setting's text; false, the table null, for a text that is no such table.
    static bool read(const std::string& text, Json::Value& table);
    /// The revives the table allows in one battle (0 for a null table).
    static int allowed(const Json::Value& table);
    /// The currency (1-3) and cost of the next revive after `done` revives; false for a table
    /// without a fitting pair.
    static bool priceOf(const Json::Value& table, int done, int& currency, int& cost);
};

} // namespace core
} // namespace kavri3D
