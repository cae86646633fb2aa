#pragma once
#include <memory>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKProductResolver;

/// The background download of the data products the rooms will want: the scene documents'
/// resolver, stepped at its own pace each frame, and asked for a product at once when a room
/// needs it.
class ProductPrefetch {
public:
    ProductPrefetch();
    ~ProductPrefetch();
    ProductPrefetch(const ProductPrefetch&) = delete;
    ProductPrefetch& operator=(const ProductPrefetch&) = delete;

    /// Makes the resolver, caching under the folder, and gives it the scene documents; once.
    void install(const std::string& cacheFolder);
    /// Drops the resolver; the scene documents must have let go of it first.
    void release();

    /// The pace: true (and the time noted) when more than 0.3 s have passed since the last
    /// step, or on the first call.
    bool stepDue(double now);
    /// One step of the downloads when the pace allows; nothing without a resolver.
    void tick();
    /// Starts the product's download at once; nothing without a resolver.
    void now(const std::string& product);

private:
    std::unique_ptr<ZRKProductResolver> mResolver;
    double mLastStep = -1; // game time of the last step; -1 before the first
};

} // namespace zrk
} // namespace kavri3D
