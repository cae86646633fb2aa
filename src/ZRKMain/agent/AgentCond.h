#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKAgent;

/// A condition a robot task waits for. Registered kinds are prototypes: each task entry
/// works on its own clone, loaded with the entry's parameter text.
class AgentCond {
public:
    virtual ~AgentCond();
    /// A new, unloaded condition of the same kind and settings.
    virtual std::unique_ptr<AgentCond> clone() const = 0;
    /// Takes the parameter text; false when the text is malformed (the task then fails).
    virtual bool load(ZRKAgent* agent, const std::string& param) = 0;
    virtual bool test() = 0;
};

typedef boost::shared_ptr<AgentCond> AgentCondPtr;

} // namespace zrk
} // namespace kavri3D
