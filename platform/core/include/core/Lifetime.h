#pragma once
#include <boost/function.hpp>
#include <functional>
#include <memory>
#include <vector>

namespace kavri3D {
namespace core {

/// The one guard of an object that hands out callbacks (request completions, box answers,
/// timers, a scene's actions): a callback made by `guard` does nothing once the object is gone
/// or has called `end`, and the timers it set through `setTimeout` are killed with it. A copy
/// of the object holds a life of its own.
class Lifetime {
public:
    Lifetime();
    Lifetime(const Lifetime&);
    Lifetime& operator=(const Lifetime&) { return *this; }
    ~Lifetime();

    /// The function, run only while this life lasts (any signature).
    template <class Fn> auto guard(Fn fn) const
    {
        std::weak_ptr<void> token = mToken;
        return [token, fn](auto&&... args) {
            if (!token.expired() && isSet(fn))
                fn(args...);
        };
    }
    /// A timer (core::setTimeout) whose callback runs only while this life lasts and which is
    /// killed when it ends; its id, for killTimer.
    int setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat = false);
    /// Kills one of this life's timers and sets `id` to -1; false when it was no longer pending.
    bool killTimer(int& id);
    /// Ends the life early: guarded callbacks stop and the timers are killed (the first thing an
    /// owner's destructor does when its members' teardown could call back).
    void end();
    bool ended() const { return !mToken; }
    /// What a callback may keep to ask whether this life lasts.
    std::weak_ptr<void> token() const { return mToken; }

private:
    template <class F> static bool isSet(const F&) { return true; }
    template <class S> static bool isSet(const boost::function<S>& f) { return !f.empty(); }
    template <class S> static bool isSet(const std::function<S>& f) { return static_cast<bool>(f); }

    std::shared_ptr<void> mToken;
    std::vector<int> mTimers;
};

} // namespace core
} // namespace kavri3D
