#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "arm2": the own doll takes a weapon slot in hand and waits.
class TutorialArm2Cond : public TutorialCond {
public:
    explicit TutorialArm2Cond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
