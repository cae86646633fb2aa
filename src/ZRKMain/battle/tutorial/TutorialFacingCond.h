#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "facing": the player and a seat's doll turn to each other.
class TutorialFacingCond : public TutorialCond {
public:
    explicit TutorialFacingCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
