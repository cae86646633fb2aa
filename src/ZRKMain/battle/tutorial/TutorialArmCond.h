#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "arm": a weapon given into the first free slot of a seat's doll, and taken in hand.
class TutorialArmCond : public TutorialCond {
public:
    explicit TutorialArmCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
