#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "ai": a seat's doll played by a registered opponent.
class TutorialAICond : public TutorialCond {
public:
    explicit TutorialAICond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
