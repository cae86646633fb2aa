#pragma once
#include "battle/BattleHintProc.h"

namespace kavri3D {
namespace zrk {

/// A battle hint that also wants every frame.
class BattleHintUpdatableProc : public BattleHintProc {
public:
    virtual void update(float seconds) = 0;
};

} // namespace zrk
} // namespace kavri3D
