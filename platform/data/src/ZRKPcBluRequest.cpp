#include "data/ZRKPcBluRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

long ZRKPcBluRequest::getPcBluDrillList(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKPcBluRequest", "getPcBluDrillList", done);
}
ZRKDataLib* ZRKPcBluRequest::getBluDrillLib() { return ZRKGameData::part(&ZRKGameData::bluDrillLib); }

} // namespace zrk
} // namespace kavri3D
