#pragma once
#include <json/json.h>
#include <misc/Equipment.h>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// A player as the game knows it in a room: its information, its settings and its battle
/// values ("seat", "team", "ready", "score", "ca_id" and the sub-tree "x" the room screens
/// write). Built once per player and room; notices change it in place, so views taken earlier
/// see the change.
class ZRKPlayerState {
public:
    explicit ZRKPlayerState(const std::string& id);

    const std::string& getID() const { return mId; }
    core::XmlConfigHelper getUserInfo() const { return mInfo; }
    core::XmlConfigHelper getUserSettings() const { return mSettings; }
    core::XmlConfigHelper& getBattleState() { return mBattle; }
    /// The title the player wears (user setting "pc_title"); empty for none.
    std::string getZrkTitle() const { return mSettings.getStringVal("pc_title", ""); }
    /// What the player wears as the server told it (model and kind); a room may dress the seat
    /// of a player without an account and keep that outfit here.
    core::EquipmentList& getEquipments() { return mEquipments; }

    /// At most this many worn items are taken from the server.
    static const unsigned kMaxEquipments = 32;

    /// Takes what the server tells of the player ({"info", "settings", "battle", "equipment"
    /// ([{"item", "kind"}]), each optional); returns which of them changed as player-change bits.
    int apply(const Json::Value& card);

private:
    std::string mId;
    core::XmlConfigHelper mInfo;
    core::XmlConfigHelper mSettings;
    core::XmlConfigHelper mBattle;
    core::EquipmentList mEquipments;
    Json::Value mLast; ///< what was applied, to tell changes from repeats
};

} // namespace zrk
} // namespace kavri3D
