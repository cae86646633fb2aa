#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "prop": a prop lent to the own doll.
class TutorialPropCond : public TutorialCond {
public:
    explicit TutorialPropCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
