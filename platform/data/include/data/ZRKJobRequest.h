#pragma once
#include <string>
#include "data/ZRKDataLib.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about purposes (daily jobs).
/// Each request completes later, from the frame update, with (error, text).
class ZRKJobRequest {
public:
    static long getPcPurposeList(ZRKReply done);
    static ZRKDataLib* getPurposeLib();
};

} // namespace zrk
} // namespace kavri3D
