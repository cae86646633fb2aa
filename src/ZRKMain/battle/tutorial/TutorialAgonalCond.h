#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "agonal": a seat's doll lies down in its death throes, waiting for rescue.
class TutorialAgonalCond : public TutorialCond {
public:
    explicit TutorialAgonalCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
