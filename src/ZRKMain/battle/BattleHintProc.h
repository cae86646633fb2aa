#pragma once

namespace kavri3D {
namespace zrk {

/// One kind of battle hint: started with the fight, stopped at its end.
class BattleHintProc {
public:
    virtual ~BattleHintProc() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace zrk
} // namespace kavri3D
