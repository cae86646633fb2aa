#include "data/ZRKJobRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

long ZRKJobRequest::getPcPurposeList(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKJobRequest", "getPcPurposeList", done);
}
ZRKDataLib* ZRKJobRequest::getPurposeLib() { return ZRKGameData::part(&ZRKGameData::purposeLib); }

} // namespace zrk
} // namespace kavri3D
