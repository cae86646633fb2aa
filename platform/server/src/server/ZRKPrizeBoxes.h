#pragma once
#include <cstddef>
#include <json/json.h>
#include <map>
#include <string>
#include <vector>
#include "server/ZRKBoxes.h"

namespace kavri3D {
namespace core {
class RandomNumber;
}
namespace zrk {

/// The prize boxes the finished battles offer, for the run only: per room the offers with
/// their hidden contents, drawn once when the battle ends, and per fighter his flags and the
/// openings he has left. An offer's price is his own: while he has an opening left (and did
/// not leave early), the unopened boxes of his side are free to him, the rest priced. An
/// offer's id names the battle, the box and the price he sees, so an id he was shown before a
/// price changed is stale.
class ZRKPrizeBoxes {
public:
    static constexpr int kWon = 0x1;
    static constexpr int kLeft = 0x8;
    /// A mission's server players open their boxes within this many seconds before the close,
    /// unless every player has opened his before.
    static constexpr double kBotLastSeconds = 3.0;
    /// Offers of one battle at most (a room seats eight).
    static constexpr std::size_t kMostOffers = 16;
    struct Fighter {
        int flags = 0;
        int openings = 0;
        bool bot = false;
        double botAt = -1.0; ///< when a server's player opens its box; -1 done or never
    };
    struct Offer {
        ZRKBoxes::Award loot;
        std::string openedBy; ///< empty while unopened
    };
    struct Battle {
        std::string room;
        bool pve = false;
        long long serial = 0;
        double closeAt = 0.0;
        std::vector<Offer> offers;
        std::map<std::string, Fighter> fighters;
    };
    /// What one fighter pays for one box: kind 0 free, else 1 coins, 2 coupons, 3 medals.
    struct Price {
        int kind = 0;
        long long price = 0;
    };

    /// A battle's offers: drawn now from `random` (a mission's at least one for each fighter);
    /// the server's players get their opening times.
    Battle& open(const ZRKBoxes& boxes, const std::string& room, bool pve, double now, double closeAt,
                 const std::map<std::string, Fighter>& fighters, core::RandomNumber& random);
    Battle* find(const std::string& room);
    /// Forgets the battles whose offers ran out by `now`.
    void closeDue(double now);

    static Price priceFor(const ZRKBoxes& boxes, const Battle& battle, const std::string& player, int index);
    static long long idFor(const ZRKBoxes& boxes, const Battle& battle, const std::string& player, int index);
    /// The offers as the player sees them: "b_id", "b_type" (1 unopened, 2 opened), "b_buy_type",
    /// "b_price" each.
    static Json::Value offersView(const ZRKBoxes& boxes, const Battle& battle, const std::string& player);
    /// The server's players whose opening is due by `now`, as (room, player); each once. In a
    /// mission they are due as soon as every player on a connection has used his opening.
    std::vector<std::pair<std::string, std::string>> dueBots(double now);
    /// Whether every fighter of the battle who is no server's player has opened his free box
    /// (or has none).
    static bool playersDone(const Battle& battle);
    /// A box on the player's side that is still closed; -1 for none.
    static int freeBoxOf(const Battle& battle, const std::string& player);
    std::size_t size() const { return mBattles.size(); }

private:
    std::map<std::string, Battle> mBattles;
    long long mSerial = 0;
};

} // namespace zrk
} // namespace kavri3D
