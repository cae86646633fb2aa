#pragma once
#include "agent/AgentCond.h"

namespace kavri3D {
namespace zrk {

/// Joins two registered conditions, named by "cond1" and "cond2" with their own parameter
/// texts in "param1" and "param2". Without both it is never true.
class AgentCondLogic : public AgentCond {
public:
    enum Mode : unsigned char { Or = 0, And = 1 };

    explicit AgentCondLogic(Mode mode);
    ~AgentCondLogic() override;

    std::unique_ptr<AgentCond> clone() const override;
    bool load(ZRKAgent* agent, const std::string& param) override;
    /// Short-circuits: "and" skips the second when the first is false, "or" when it is true.
    bool test() override;

private:
    std::unique_ptr<AgentCond> mFirst;
    std::unique_ptr<AgentCond> mSecond;
    Mode mMode;
};

} // namespace zrk
} // namespace kavri3D
