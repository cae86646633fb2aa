#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "ani": a seat's doll plays a mood, a hit animation or an action.
class TutorialAniCond : public TutorialCond {
public:
    explicit TutorialAniCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
