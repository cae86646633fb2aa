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
};

} // namespace zrk
} // namespace kavri3D
