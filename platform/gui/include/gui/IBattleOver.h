#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>
#include "gui/BagData.h"
#include "gui/IOpenBoxData.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The result screen of a battle: a row per doll and the player's awards. The battle room
/// fills it once the battle is over and closes it when it leaves.
class IBattleOver {
public:
    /// One entry of the award list: a counted kind (1 to 5) or an item (6).
    struct AwardBoxItem {
        int bi_id = 0;
        int bi_type = 0;
        int bi_num = 0;
        bool counted = true;
        std::string name;
        std::string icon;                ///< a CEGUI image ("Set/Image"); empty for none
        boost::shared_ptr<BagData> item; ///< the item's full record, items (type 6) only
    };
    /// One seat of the room at the box opening: who sits there and the box he opened.
    struct AwardSlot {
        std::string playerId;
        std::string nickname;
        int pc_id = 0;
        bool me = false;
        int index = -1; ///< the box opened, 0-based; -1 none
        AwardBoxItem award;
    };
    /// One box the room offers for opening.
    typedef IOpenBoxData::BoxData BoxOffer;
    /// One doll of the battle.
    struct PlayerRecord {
        bool team = false; ///< the doll's side (its colour is not 0)
        std::string nickname;
        float hp = 0.0f; ///< health left, 0 to 1
        int level = 0;
        int shots = 0, hits = 0, damage = 0, kills = 0, deaths = 0;
        float hitRatio = 0.0f;
        std::string text; ///< "mvp" for the best of the battle
        int arena[4] = {0, 0, 0, 0};
        bool me = false;
    };

    virtual ~IBattleOver() = default;
    virtual void setResult(const std::vector<PlayerRecord>& players, int tactic,
                           const std::vector<AwardBoxItem>& awards) = 0;
    /// The winning side (-1 a draw).
    virtual void setSummary(int winner) = 0;
    /// Why the battle ended so, shown under the result (a side that left); empty for nothing.
    virtual void setNote(const std::string& note) = 0;
    virtual void close() = 0;
    virtual bool isShown() const = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
