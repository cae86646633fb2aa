#include "server/ZRKServerStart.h"

#include "server/ZRKServerCore.h"

namespace kavri3D {
namespace zrk {

ZRKServerStart::ZRKServerStart(const ZRKServerConfig& config, double now)
    : mCore(std::async(std::launch::async, [config, now] { return std::make_unique<ZRKServerCore>(config, now); }))
{
}

// The future of an async call waits for the thread; a core nobody took goes with it, and a
// failure nobody asked about is dropped.
ZRKServerStart::~ZRKServerStart() = default;

std::unique_ptr<ZRKServerCore> ZRKServerStart::take()
{
    if (!mCore.valid())
        return nullptr;
    return mCore.get();
}

} // namespace zrk
} // namespace kavri3D
