#pragma once
#include <string>
#include "data/ZRKQuestLib.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about quests.
/// Each request completes later, from the frame update, with (error, text).
class ZRKTaskRequest {
public:
    /// The player's quests ("pcQuests"); with `withLibrary` the quest library ("lib/quest") too.
    static long getPcQuestList(bool withLibrary, ZRKReply done);
    /// Claims the reward of a done quest: {items:[object id, or none],q_id:id}. The reply carries
    /// the player, his quests and, when an object was laid into the bag, the bag and that slot.
    static long rewardQuest(const std::string& text, ZRKReply done);
    static ZRKQuestLib* getQuestLib();
    /// The tutorial lesson done (1 to 5); the server keeps the highest. The reply refreshes
    /// the player's "pc" and settings views.
    static long updateNewbieTask(int task, int pcId, ZRKReply done);
};

} // namespace zrk
} // namespace kavri3D
