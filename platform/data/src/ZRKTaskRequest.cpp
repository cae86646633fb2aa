#include "data/ZRKTaskRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

long ZRKTaskRequest::updateNewbieTask(int task, int pcId, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKTaskRequest", "updateNewbieTask", done, task, pcId);
}
long ZRKTaskRequest::getPcQuestList(ZRKReply done) { return ZRKRequestBroker::call("ZRKTaskRequest", "getPcQuestList", done); }
ZRKQuestLib* ZRKTaskRequest::getQuestLib() { return ZRKGameData::part(&ZRKGameData::questLib); }

} // namespace zrk
} // namespace kavri3D
