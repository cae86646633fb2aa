#include "core/ClientStateMachine.h"

#include <core/ClientStateTable.h>
#include <yake/Logger.h>
#include "core/ClientStateTable.h"

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("fsm");
void logFailure(const std::string& what, const std::exception& e) { logLine(Severity::Error, what + ": " + e.what()); }
std::size_t gIllegalChanges = 0;
ClientStateMachine::IllegalChangeHook& illegalChangeHook()
{
    static ClientStateMachine::IllegalChangeHook hook;
    return hook;
}

void reportIllegalChange(const std::string& from, const std::string& to)
{
    ++gIllegalChanges;
    logLine(Severity::Error, "illegal client state change from " + from + " to " + to);
    if (illegalChangeHook()) {
        try {
            illegalChangeHook()(from, to);
        } catch (const std::exception& e) {
            logFailure("reporting the change to " + to, e);
        }
    }
}
} // namespace

std::size_t ClientStateMachine::illegalChangeCount() { return gIllegalChanges; }

ClientStateMachine::IllegalChangeHook ClientStateMachine::setIllegalChangeHook(IllegalChangeHook hook)
{
    IllegalChangeHook old = std::move(illegalChangeHook());
    illegalChangeHook() = std::move(hook);
    return old;
}

ClientStateMachine::~ClientStateMachine() { shutdown(); }

bool ClientStateMachine::addState(const std::string& name, ClientStatePtr state)
{
    if (name.empty() || !state || mStates.count(name))
        return false;
    state->setName(name);
    mStates[name] = state;
    return true;
}

bool ClientStateMachine::removeState(const std::string& name)
{
    if (name == mCurrentName || (mPending && name == mPendingName))
        return false;
    return mStates.erase(name) > 0;
}

ClientStatePtr ClientStateMachine::getState(const std::string& name) const
{
    auto it = mStates.find(name);
    return it == mStates.end() ? ClientStatePtr() : it->second;
}

bool ClientStateMachine::changeState(const std::string& name, const std::string& params)
{
    if (!mStates.count(name)) {
        logLine(Severity::Error, "no client state named " + name);
        return false;
    }
    if (!ClientStateTable::isLegal(mCurrentName, name))
        reportIllegalChange(mCurrentName, name);
    mPending = true;
    mPendingName = name;
    mPendingParams = params;
    return true;
}

bool ClientStateMachine::applyPending()
{
    if (!mPending)
        return false;
    mPending = false;
    ClientStatePtr next = getState(mPendingName);
    if (!next)
        return false;
    if (mCurrent) {
        try {
            mCurrent->onExit();
        } catch (const std::exception& e) {
            logFailure("leaving " + mCurrentName, e);
        }
    }
    mCurrent = next;
    mCurrentName = mPendingName;
    std::string params = mPendingParams;
    try {
        mCurrent->onEnter(params);
    } catch (const std::exception& e) {
        logFailure("entering " + mCurrentName, e);
    }
    mSignal(*this);
    return true;
}

void ClientStateMachine::update(float dt)
{
    applyPending();
    if (!mCurrent)
        return;
    try {
        mCurrent->onFrame(dt);
    } catch (const std::exception& e) {
        logFailure("frame of " + mCurrentName, e);
    }
}

boost::signals2::connection ClientStateMachine::subscribeToFsmState(const StateSignal::slot_type& slot)
{
    return mSignal.connect(slot);
}

void ClientStateMachine::shutdown()
{
    mPending = false;
    if (mCurrent) {
        ClientStatePtr leaving = mCurrent;
        mCurrent.reset();
        try {
            leaving->onExit();
        } catch (const std::exception& e) {
            logFailure("leaving " + mCurrentName, e);
        }
    }
    mCurrentName.clear();
    mStates.clear();
}

} // namespace core
} // namespace kavri3D
