#pragma once
#include <boost/function.hpp>
#include "data/ZRKDataLib.h"
#include "data/ZRKRequestOwner.h"

namespace kavri3D {
namespace zrk {

/// The quest library (by id: "name", "goal" {type, count}, "reward" {money, exp, items}), and
/// the player's quests ("pcQuests": entries of "q_id", "state" and "progress").
class ZRKQuestLib : public ZRKDataLib {
public:
    ZRKQuestLib() : ZRKDataLib("quest") {}
    /// How many of the player's quests have a state sharing a bit with the mask.
    int getDoingNum(int stateMask) const;
    /// Asks for the library and the player's quests afresh; `done` runs once when the answer is
    /// in, failed or not (never once the library is gone).
    void refreshQuest(boost::function<void()> done);

private:
    ZRKRequestOwner mQuestRequests;
};

} // namespace zrk
} // namespace kavri3D
