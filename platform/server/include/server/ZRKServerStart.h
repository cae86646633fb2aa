#pragma once
#include <future>
#include <memory>
#include "server/ZRKServerConfig.h"

namespace kavri3D {
namespace zrk {

class ZRKServerCore;

/// The embedded server's core built on a thread of its own while the game window comes up:
/// opening the world, reading the fixtures and placing the bots need not hold up the first
/// screen. Nothing else touches the core until it is taken, on the game's thread.
class ZRKServerStart {
public:
    /// Starts building; `now` is the server's start time, read by the caller.
    ZRKServerStart(const ZRKServerConfig& config, double now);
    /// A core nobody took is waited for and dropped.
    ~ZRKServerStart();
    ZRKServerStart(const ZRKServerStart&) = delete;
    ZRKServerStart& operator=(const ZRKServerStart&) = delete;

    /// The core, waited for; what failed in building it is thrown here, as it would have been
    /// had it been built in place. Null once taken.
    std::unique_ptr<ZRKServerCore> take();

private:
    std::future<std::unique_ptr<ZRKServerCore>> mCore;
};

} // namespace zrk
} // namespace kavri3D
