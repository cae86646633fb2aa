#include "data/ZRKArenaRequest.h"

#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKArenaRequest::queryMyArena(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKArenaRequest", "queryMyArena", done);
}

} // namespace zrk
} // namespace kavri3D
