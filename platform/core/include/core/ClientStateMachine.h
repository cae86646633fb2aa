#pragma once
#include <boost/signals2.hpp>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <core/ClientState.h>

namespace kavri3D {
namespace core {

/// Owns the client states by name. Changes of state are queued and carried out at the start
/// of the next frame, so a state never leaves itself from inside its own callbacks. A change
/// between the game's states that `ClientStateTable` does not list is logged as illegal (and
/// counted, and handed to the hook the tests set) but carried out all the same.
class ClientStateMachine {
public:
    typedef boost::signals2::signal<void(ClientStateMachine&)> StateSignal;
    typedef std::function<void(const std::string& from, const std::string& to)> IllegalChangeHook;

    ~ClientStateMachine();

    /// false when the name is empty, taken, or the state is null.
    bool addState(const std::string& name, ClientStatePtr state);
    /// Forgets a state that is neither current nor queued; false otherwise.
    bool removeState(const std::string& name);
    ClientStatePtr getState(const std::string& name) const;
    std::size_t stateCount() const { return mStates.size(); }

    /// Queues a change to the named state; false when there is no such state.
    bool changeState(const std::string& name, const std::string& params = std::string());
    /// Carries out a queued change: leaves the current state, enters the new one and tells
    /// the subscribers. Returns true when the state changed.
    bool applyPending();
    void update(float dt);

    ClientStatePtr currentState() const { return mCurrent; }
    const std::string& currentStateName() const { return mCurrentName; }
    bool hasPending() const { return mPending; }
    const std::string& pendingStateName() const { return mPendingName; }

    boost::signals2::connection subscribeToFsmState(const StateSignal::slot_type& slot);

    /// Leaves the current state (at shut-down) and forgets every state.
    void shutdown();

    /// Illegal changes carried out in this process so far, by every machine.
    static std::size_t illegalChangeCount();
    /// Called after an illegal change is logged; an empty hook calls nothing. Returns the old one.
    static IllegalChangeHook setIllegalChangeHook(IllegalChangeHook hook);

private:
    std::map<std::string, ClientStatePtr> mStates;
    ClientStatePtr mCurrent;
    std::string mCurrentName;
    bool mPending = false;
    std::string mPendingName;
    std::string mPendingParams;
    StateSignal mSignal;
};

} // namespace core
} // namespace kavri3D
