#pragma once
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

/// The players as the game reads them (information, settings, the character's record, the
/// card, each account's characters), every view made once until its player changes and then
/// handed out whole: a change makes a new one, or changes the one nobody else holds in place.
class ZRKWorldViews {
public:
    explicit ZRKWorldViews(ZRKWorld& world);
    ZRKWorldViews(const ZRKWorldViews&) = delete;
    ZRKWorldViews& operator=(const ZRKWorldViews&) = delete;

    /// One view of a player; null for no such player.
    std::shared_ptr<const Json::Value> player(const std::string& name, ZRKWorld::PlayerView which);
    /// The settings of each character of the player's account, own first.
    std::shared_ptr<const Json::Value> characters(const std::string& name);
    static Json::Value info(const ZRKWorld::Player& p);
    static Json::Value settings(const ZRKWorld::Player& p);
    static Json::Value pc(const ZRKWorld::Player& p);

    /// The player's money or stat points changed: the views that show them are made afresh
    /// when next asked for, except the character's record, which the caller changes in place
    /// (null when none was made).
    Json::Value* changedPc(const std::string& name);
    /// The player changed: his views are made afresh, and every list of characters.
    void forget(const std::string& name);
    void forgetAll();
    /// A nickname changed: every list of characters may show it.
    void forgetCharacters();

private:
    /// The view to change in place: itself while nobody else holds it, else a copy made its own.
    static Json::Value& own(std::shared_ptr<Json::Value>& view);

    struct Views {
        std::shared_ptr<Json::Value> value[ZRKWorld::PlayerViews]; ///< null until made
    };
    ZRKWorld& mWorld;
    std::map<std::string, Views> mViews;
    std::map<std::string, std::shared_ptr<const Json::Value>> mCharacters; ///< any player's change clears them
};

} // namespace zrk
} // namespace kavri3D
