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
    static long getPcQuestList(ZRKReply done);
    static ZRKQuestLib* getQuestLib();
    /// The tutorial lesson done (1 to 5); the server keeps the highest. The reply refreshes
    /// the player's "pc" and settings views.
    static long updateNewbieTask(int task, int pcId, ZRKReply done);
};

} // namespace zrk
} // namespace kavri3D
