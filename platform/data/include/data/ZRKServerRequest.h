#pragma once
#include <string>
#include "data/ZRKServer.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about the game server: master data and item classes; the server object.
/// Each request completes later, from the frame update, with (error, text).
class ZRKServerRequest {
public:
    static long queryMaster(ZRKReply done);
    static long queryItemClasses(ZRKReply done);
    /// The server object while the session is online, else null.
    static ZRKServer* getServer();
};

} // namespace zrk
} // namespace kavri3D
