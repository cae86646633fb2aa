#include "data/ZRKQuestLib.h"

#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"
#include "data/ZRKTaskRequest.h"

namespace kavri3D {
namespace zrk {

int ZRKQuestLib::getDoingNum(int stateMask) const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    if (!data)
        return 0;
    const Json::Value& quests = data->viewJson("pcQuests");
    if (!quests.isArray())
        return 0;
    int count = 0;
    for (const Json::Value& q : quests)
        if (ZRKJson::getInt(q, "state", 0) & stateMask)
            ++count;
    return count;
}

void ZRKQuestLib::refreshQuest(boost::function<void()> done)
{
    // One request brings both, so the completion runs once whatever the answer.
    mQuestRequests.track(ZRKTaskRequest::getPcQuestList(true, mQuestRequests.guard([done](bool, const std::string&) {
        if (done)
            done();
    })));
}

} // namespace zrk
} // namespace kavri3D
