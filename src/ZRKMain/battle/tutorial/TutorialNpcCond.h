#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "npc": a scripted doll joins and faces the player.
class TutorialNpcCond : public TutorialCond {
public:
    explicit TutorialNpcCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
