#include "data/ZRKGuardRequest.h"

#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKGuardRequest::queryPlayerGuard(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKGuardRequest", "queryPlayerGuard", done);
}

} // namespace zrk
} // namespace kavri3D
