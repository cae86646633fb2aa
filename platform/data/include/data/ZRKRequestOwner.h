#pragma once
#include <core/Lifetime.h>
#include <vector>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// The guard (core::Lifetime) of an object that sends requests: completions guarded by it never
/// run once the owner is gone, and the owner's requests still pending are cancelled with it.
class ZRKRequestOwner : public core::Lifetime {
public:
    ZRKRequestOwner() = default;
    ~ZRKRequestOwner();
    ZRKRequestOwner(const ZRKRequestOwner&) = delete;
    ZRKRequestOwner& operator=(const ZRKRequestOwner&) = delete;

    /// Remembers a request handle so that it is cancelled with the owner; returns it.
    long track(long handle);
    /// Cancels every tracked request still pending.
    void cancelAll();

private:
    std::vector<long> mHandles;
};

} // namespace zrk
} // namespace kavri3D
