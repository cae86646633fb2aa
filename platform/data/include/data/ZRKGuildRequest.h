#pragma once
#include <string>
#include "data/ZRKParams.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about guilds; the invitation text keeps its quotes.
/// Each request completes later, from the frame update, with (error, text).
class ZRKGuildRequest {
public:
    static long queryPlayerGuild(const ZRKParams& params, ZRKReply done);
    static long queryWant(const ZRKParams& params, ZRKReply done);
};

} // namespace zrk
} // namespace kavri3D
