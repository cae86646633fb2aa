#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>
#include <vector>

#include "agent/AgentTaskEntry.h"

namespace kavri3D {
namespace zrk {

class AgentCond;
class AgentJob;
class ZRKAgent;

/// A scripted run of the robot: its entries one after another, one step per agent update.
/// Each entry goes through its phases: start (-1), waiting for the state and the first
/// condition (1), preparing the job and the second condition (0), waiting for the second
/// condition (2). A wait that outlasts its limit ends the task.
class AgentTask {
public:
    explicit AgentTask(ZRKAgent* owner);
    /// Copies the entries and the owner; the copy starts from its first entry.
    AgentTask(const AgentTask& other);
    AgentTask& operator=(const AgentTask&) = delete;
    virtual ~AgentTask();

    /// One update's worth of work; true when the task has ended (done or failed).
    virtual bool step();

    /// Back to before the first entry, dropping the job and conditions in hand.
    void reset();
    void setOwner(ZRKAgent* owner) { mOwner = owner; }
    ZRKAgent* getOwner() const { return mOwner; }

    void addEntry(const AgentTaskEntry& entry) { mEntries.push_back(entry); }
    const std::vector<AgentTaskEntry>& getEntries() const { return mEntries; }

private:
    bool fail(const char* part, const std::string& kind, const char* reason);
    void endEntry();

    std::vector<AgentTaskEntry> mEntries;
    ZRKAgent* mOwner;
    int mIndex = -1;
    int mPhase = -1;
    std::unique_ptr<AgentJob> mJob;
    std::unique_ptr<AgentCond> mCond1;
    std::unique_ptr<AgentCond> mCond2;
    double mStart1 = -1.0;
    double mStart2 = -1.0;
};

typedef boost::shared_ptr<AgentTask> AgentTaskPtr;

} // namespace zrk
} // namespace kavri3D
