#pragma once
#include <string>
#include "data/ZRKParams.h"
#include "data/ZRKRequestInfo.h"
#include "data/ZRKRosterIQ.h"

namespace kavri3D {
namespace zrk {

/// Requests about the friend roster; their texts keep their quotes.
/// Each request completes later, from the frame update, with (error, text).
class ZRKRosterRequest {
public:
    static long queryMyRoster(ZRKReply done);
    static long queryAddRoster(const ZRKParams& params, ZRKReply done);
    static long queryUptRoster(const ZRKParams& params, ZRKReply done);
    static long queryDelRoster(const ZRKParams& params, ZRKReply done);
    /// The roster as the last reply or notice gave it; null only without game data. The flag
    /// is the callers' (whether they mean to read it now); the roster is kept either way.
    static ZRKRosterIQ* getIQ(bool now);
};

} // namespace zrk
} // namespace kavri3D
