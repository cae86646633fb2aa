#pragma once
#include <string>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about the player's guard.
/// Each request completes later, from the frame update, with (error, text).
class ZRKGuardRequest {
public:
    static long queryPlayerGuard(ZRKReply done);
};

} // namespace zrk
} // namespace kavri3D
