#pragma once
#include <boost/shared_ptr.hpp>
#include <json/json.h>
#include <string>
#include <land/ILandRoom.h>

namespace kavri3D {
namespace zrk {

class ZRKRoomState;

/// The land's view of the room the player fights in: the seats, players and values of the
/// game data's room state, the server's maps and the battle's item records. The room state is
/// looked up by name at every question, so a room that went away answers as an empty room.
class BattleLandRoom : public ILandRoom {
public:
    /// The room of that name; an empty name follows the current room.
    explicit BattleLandRoom(const std::string& roomName = std::string());

    /// The land's room source: the current room, or none when the player is in no room.
    static boost::shared_ptr<ILandRoom> currentRoom();

    int getSlotCount() const override;
    std::string getSeatPlayer(int seat) const override;
    core::XmlConfigHelper getPlayerSettings(const std::string& playerId) const override;
    /// The own player, with his bags in use: the weapons of his ammo bag, and the battle's own
    /// arms when that bag holds none (a rookie still fights). Everyone else: the battle's arms.
    std::vector<std::string> getPlayerWeapons(const std::string& playerId) const override;
    /// The own player, with his bags in use: the props lent to him and those of his props bag,
    /// each kind once. Everyone else: the battle's props.
    std::vector<std::string> getPlayerProps(const std::string& playerId) const override;
    /// The own player's stack of the prop (his props bag and what was lent); 1 for others.
    int getPlayerPropCount(const std::string& playerId, const std::string& itemId) const override;
    /// The look the player's portrait wears: "boy" or "girl" by its character, the parts its
    /// default look chooses (the own from the own default look; another's from the indexes
    /// its settings carry, the first choice of each where they carry none).
    std::vector<std::pair<std::string, std::string>> getPlayerLook(const std::string& playerId) const override;
    core::XmlConfigHelper getRoomValues() const override;
    Json::Value getMapRecord(const std::string& place) const override;
    Json::Value getItemRecord(const std::string& itemId) const override;
    std::string getMyPlayerId() const override;
    boost::shared_ptr<ZRKPlayerState> getPlayerState(const std::string& playerId) const override;
    /// The health and energy the room gave the player ("xhp", "hp", "xsp", "sp", "fsp" of its
    /// battle values: a lesson's trainers and dummies); null, the land's own, when it gave none.
    boost::shared_ptr<ZRKBattleState> getBattleState(const std::string& playerId) const override;
    /// Tells the server; its answer only matters as a log line.
    void reportLoaded(const std::string& playerId) override;

    /// From now on the own player fights with the items of his inventory's ammo bag (1 to 3)
    /// and props bag, as the battle's loadout laid them out; 0 goes back to the battle's arms.
    void useBattleBags(int ammoBag) { mAmmoBag = ammoBag; }
    /// The player's own props (item id, how many), taken out of his bag while he fights (they
    /// come back after): with the battle's bags in use he fights with these besides what the
    /// battle put in the props bag.
    void lendProps(const std::vector<std::pair<std::string, int>>& props) { mLentProps = props; }

    /// The room state followed; null when it is gone.
    ZRKRoomState* state() const;
    const std::string& getRoomName() const { return mRoomName; }

    /// The land's record of a shop's or forge's weapon (no "i_type" nor "i_damage"): the
    /// battle's arm of its kind with the item's name, damage and shells.
    static Json::Value landWeapon(const Json::Value& item, const Json::Value& battleArms);

private:
    /// Whether the player is the own one and fights with his bags.
    bool ownBags(const std::string& playerId) const;

    std::string mRoomName;
    mutable Json::Value mMaps; ///< read once, when first asked
    mutable bool mMapsRead = false;
    int mAmmoBag = 0;
    std::vector<std::pair<std::string, int>> mLentProps;
};

} // namespace zrk
} // namespace kavri3D
