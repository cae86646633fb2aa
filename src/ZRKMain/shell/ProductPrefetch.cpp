#include "shell/ProductPrefetch.h"

#include <scene/ProductManager.h>
#include <yake/Time.h>

#include "shell/ZRKProductResolver.h"

namespace kavri3D {
namespace zrk {

ProductPrefetch::ProductPrefetch() = default;

ProductPrefetch::~ProductPrefetch() = default;

void ProductPrefetch::install(const std::string& cacheFolder)
{
    if (mResolver)
        return;
    mResolver.reset(new ZRKProductResolver);
    mResolver->setCacheFolder(cacheFolder);
    core::ProductManager::instance().setDocumentResolver(mResolver.get(), true);
}

void ProductPrefetch::release() { mResolver.reset(); }

bool ProductPrefetch::stepDue(double now)
{
    // A clock that went back (another run's, a test's) steps at once instead of stalling
    // the prefetch until it has caught up.
    if (mLastStep >= 0 && now >= mLastStep && now - mLastStep <= 0.3)
        return false;
    mLastStep = now;
    return true;
}

void ProductPrefetch::tick()
{
    if (mResolver && stepDue(yake::native::getTime()))
        mResolver->prefetchStep();
}

void ProductPrefetch::now(const std::string& product)
{
    if (mResolver)
        mResolver->prefetchNow(product);
}

} // namespace zrk
} // namespace kavri3D
