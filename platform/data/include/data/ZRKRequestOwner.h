#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <boost/function.hpp>
#include <vector>
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Held by an object that sends requests: completions guarded by it never run once the
/// owner is gone, and the owner's requests still pending are cancelled with it.
class ZRKRequestOwner {
public:
    ZRKRequestOwner();
    ~ZRKRequestOwner();
    ZRKRequestOwner(const ZRKRequestOwner&) = delete;
    ZRKRequestOwner& operator=(const ZRKRequestOwner&) = delete;

    /// The function, run only while this owner lives (any signature: completions, the
    /// log-in slot, box answers).
    template <class Fn>
    auto guard(Fn fn) const
    {
        boost::weak_ptr<void> token = mToken;
        return [token, fn](auto&&... args) {
            if (!token.expired() && isSet(fn))
                fn(args...);
        };
    }
    /// Remembers a request handle so that it is cancelled with the owner; returns it.
    long track(long handle);
    /// Cancels every tracked request still pending.
    void cancelAll();

    boost::weak_ptr<void> token() const { return mToken; }

private:
    template <class F>
    static bool isSet(const F&) { return true; }
    template <class S>
    static bool isSet(const boost::function<S>& f) { return !f.empty(); }

    boost::shared_ptr<void> mToken;
    std::vector<long> mHandles;
};

} // namespace zrk
} // namespace kavri3D
