#include "data/ZRKHonorRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

long ZRKHonorRequest::queryPcTitle(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKHonorRequest", "queryPcTitle", done);
}
ZRKDataLib* ZRKHonorRequest::getTitleLib() { return ZRKGameData::part(&ZRKGameData::titleLib); }
ZRKDataLib* ZRKHonorRequest::getHonorLib() { return ZRKGameData::part(&ZRKGameData::honorLib); }

} // namespace zrk
} // namespace kavri3D
