#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "perfect": the own doll's force reset and a perfect force set; the aim assist is told.
class TutorialPerfectCond : public TutorialCond {
public:
    explicit TutorialPerfectCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
