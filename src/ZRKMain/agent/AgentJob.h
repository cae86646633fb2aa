#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKAgent;

/// Something a robot task does between its two waits. Registered kinds are prototypes: each
/// task entry works on its own clone, loaded with the entry's parameter text.
class AgentJob {
public:
    virtual ~AgentJob();
    /// A new, unloaded job of the same kind.
    virtual std::unique_ptr<AgentJob> clone() const = 0;
    /// Prepares the job from its parameter text; false when the text is malformed.
    virtual bool load(ZRKAgent* agent, const std::string& param) = 0;
    /// The second wait is over.
    virtual void finish() = 0;
    /// Once per update while the second wait goes on.
    virtual void update() = 0;
};

typedef boost::shared_ptr<AgentJob> AgentJobPtr;

} // namespace zrk
} // namespace kavri3D
