#include "data/ZRKTaskRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

long ZRKTaskRequest::updateNewbieTask(int task, int pcId, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKTaskRequest", "updateNewbieTask", done, task, pcId);
}
long ZRKTaskRequest::getPcQuestList(bool withLibrary, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKTaskRequest", "getPcQuestList", done, withLibrary);
}
long ZRKTaskRequest::rewardQuest(const std::string& text, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKTaskRequest", "rewardQuest", text, done);
}
ZRKQuestLib* ZRKTaskRequest::getQuestLib() { return ZRKGameData::part(&ZRKGameData::questLib); }

} // namespace zrk
} // namespace kavri3D
