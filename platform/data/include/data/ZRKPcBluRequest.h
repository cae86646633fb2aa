#pragma once
#include <string>
#include "data/ZRKDataLib.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about blue-drill membership.
/// Each request completes later, from the frame update, with (error, text).
class ZRKPcBluRequest {
public:
    static long getPcBluDrillList(ZRKReply done);
    static ZRKDataLib* getBluDrillLib();
};

} // namespace zrk
} // namespace kavri3D
