#pragma once
#include <string>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about the arena.
/// Each request completes later, from the frame update, with (error, text).
class ZRKArenaRequest {
public:
    static long queryMyArena(ZRKReply done);
};

} // namespace zrk
} // namespace kavri3D
