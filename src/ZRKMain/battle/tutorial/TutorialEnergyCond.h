#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "energy": a fresh energy pool for the own doll.
class TutorialEnergyCond : public TutorialCond {
public:
    explicit TutorialEnergyCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
