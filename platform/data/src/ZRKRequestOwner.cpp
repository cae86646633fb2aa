#include "data/ZRKRequestOwner.h"

#include <algorithm>
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

ZRKRequestOwner::~ZRKRequestOwner()
{
    cancelAll();
    end();
}

long ZRKRequestOwner::track(long handle)
{
    ZRKRequestBroker* broker = ZRKRequestBroker::getSingletonPtr();
    // Forget handles already answered so the list does not grow for ever.
    if (broker)
        mHandles.erase(
            std::remove_if(mHandles.begin(), mHandles.end(), [broker](long h) { return !broker->isPending(h); }),
            mHandles.end());
    if (handle)
        mHandles.push_back(handle);
    return handle;
}

void ZRKRequestOwner::cancelAll()
{
    if (ZRKRequestBroker* broker = ZRKRequestBroker::getSingletonPtr())
        for (long h : mHandles)
            broker->cancel(h);
    mHandles.clear();
}

} // namespace zrk
} // namespace kavri3D
