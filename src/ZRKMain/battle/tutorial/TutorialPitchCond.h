#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "pitch": the own doll's gun set to a pitch.
class TutorialPitchCond : public TutorialCond {
public:
    explicit TutorialPitchCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
