#pragma once
#include <string>
#include "data/ZRKDataLib.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about titles and honours.
/// Each request completes later, from the frame update, with (error, text).
class ZRKHonorRequest {
public:
    static long queryPcTitle(ZRKReply done);
    static ZRKDataLib* getTitleLib();
    static ZRKDataLib* getHonorLib();
};

} // namespace zrk
} // namespace kavri3D
