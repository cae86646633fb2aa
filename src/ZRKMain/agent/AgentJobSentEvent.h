#pragma once
#include "agent/AgentJob.h"

namespace kavri3D {
namespace zrk {

/// Acts on a screen as the player would: loading it sends the GUI event whose id is "_evt",
/// with every key of the text as the event's parameters. Nothing is left to do afterwards.
class AgentJobSentEvent : public AgentJob {
public:
    std::unique_ptr<AgentJob> clone() const override;
    bool load(ZRKAgent* agent, const std::string& param) override;
    void finish() override;
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
