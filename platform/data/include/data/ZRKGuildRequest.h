#pragma once
#include <string>
#include "data/ZRKGuildIQ.h"
#include "data/ZRKParams.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about guilds; the invitation text keeps its quotes.
/// Each request completes later, from the frame update, with (error, text).
class ZRKGuildRequest {
public:
    static long queryPlayerGuild(const ZRKParams& params, ZRKReply done);
    /// Asks a guild to take a player in: {"gid":..,"pcid":..,"wt":1}. The guild's error view is
    /// emptied as it is sent, so only this request's answer can fill it.
    static long queryWant(const ZRKParams& params, ZRKReply done);
    /// What the server last answered about guilds; null only without game data.
    static ZRKGuildIQ* getIQ(bool now);
};

} // namespace zrk
} // namespace kavri3D
