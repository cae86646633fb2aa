#include "agent/AgentTask.h"

#include <core/ClientState.h>
#include <yake/Time.h>

#include "agent/AgentCond.h"
#include "agent/AgentJob.h"
#include "agent/ZRKAgent.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
// An entry's own copy of a registered job or condition, loaded with its text; false only when
// the text is malformed. No prototype leaves the slot empty: that part is simply skipped.
template <class Part, class Proto>
bool prepare(ZRKAgent* owner, const Proto& proto, const std::string& param, std::unique_ptr<Part>& slot)
{
    if (!proto)
        return true;
    slot = proto->clone();
    return !slot || slot->load(owner, param);
}
} // namespace

AgentTask::AgentTask(ZRKAgent* owner) : mOwner(owner) {}

AgentTask::AgentTask(const AgentTask& other) : mEntries(other.mEntries), mOwner(other.mOwner) {}

AgentTask::~AgentTask() { reset(); }

void AgentTask::reset()
{
    mIndex = -1;
    mPhase = -1;
    mJob.reset();
    mCond1.reset();
    mCond2.reset();
    mStart1 = -1.0;
    mStart2 = -1.0;
}

bool AgentTask::fail(const char* part, const std::string& kind, const char* reason)
{
    writeLogf(4, "agent", "task failed with ", part, reason, ":", kind);
    return true;
}

void AgentTask::endEntry()
{
    const int next = mIndex + 1;
    reset();
    mIndex = next;
}

bool AgentTask::step()
{
    // A task kept past its agent's life ends instead of reaching a freed agent.
    if (!mOwner || mOwner != ZRKAgent::getSingletonPtr())
        return true;
    if (mEntries.empty() || mIndex >= static_cast<int>(mEntries.size()))
        return true;
    if (mIndex < 0)
        mIndex = 0;
    // A copy: a job or condition may add entries to this very task.
    const AgentTaskEntry entry = mEntries[static_cast<std::size_t>(mIndex)];
    const double now = yake::native::getTime();

    for (;;) {
        switch (mPhase) {
        case -1: {
            mStart1 = now;
            if (!prepare(mOwner, mOwner->findCond(entry.cond1Kind), entry.cond1Param, mCond1))
                return fail("cond1", entry.cond1Kind, " parameters");
            mPhase = 1;
            break;
        }
        case 1: {
            bool ready = true;
            if (!entry.stateName.empty()) {
                core::ClientState* state = GameServices::currentState();
                ready = state && state->getName() == entry.stateName;
            }
            if (ready && mCond1)
                ready = mCond1->test();
            if (!ready) {
                if (entry.cond1Limit >= 0 && now - mStart1 > entry.cond1Limit)
                    return fail("cond1", entry.cond1Kind, "");
                return false;
            }
            mPhase = 0;
            break;
        }
        case 0: {
            if (!prepare(mOwner, mOwner->findJob(entry.jobKind), entry.jobParam, mJob))
                return fail("job", entry.jobKind, " parameters");
            mStart2 = now;
            if (!prepare(mOwner, mOwner->findCond(entry.cond2Kind), entry.cond2Param, mCond2))
                return fail("cond2", entry.cond2Kind, " parameters");
            mPhase = 2;
            break;
        }
        case 2:
            if (!mCond2 || mCond2->test()) {
                if (mJob)
                    mJob->finish();
                endEntry(); // the next entry starts at the next update
                return false;
            }
            if (entry.cond2Limit >= 0 && now - mStart2 > entry.cond2Limit)
                return fail("cond2", entry.cond2Kind, "");
            if (mJob)
                mJob->update();
            return false;
        default:
            return true;
        }
    }
}

} // namespace zrk
} // namespace kavri3D
