#pragma once
#include <map>
#include <string>
#include "server/ZRKPrizeBoxes.h"

namespace kavri3D {
namespace zrk {

class ZRKServerCore;
class ZRKServerOps;

/// The server's boxes and bag items: the prize boxes of a finished battle ("openBox"), a box
/// item of the bag ("queryBagOpenBox"), a rank card ("queryBagUnlockRank"), sorting the bag
/// ("bagRange"), recycling items ("bagDrop") and using a function item ("queryUseFunItem").
/// Each checks everything before it changes anything, in one transaction; a refusal changes
/// nothing.
class ZRKBoxOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// A battle ended: its prize boxes are drawn and each fighter told the offers he sees.
    /// `fighters` are those paid, with their flags and openings.
    static void offerPrizes(ZRKServerCore& server, const std::string& room, bool pve, double closeAt,
                            const std::map<std::string, ZRKPrizeBoxes::Fighter>& fighters);
    /// The server's players open their boxes when due.
    static void tick(ZRKServerCore& server, double now);
    /// A rank a card lent whose days are over goes back to the one the player earned.
    static void returnRank(ZRKServerCore& server, const std::string& player);
};

} // namespace zrk
} // namespace kavri3D
