#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "revive": a seat's doll back on its feet, at a map node when one is named.
class TutorialReviveCond : public TutorialCond {
public:
    explicit TutorialReviveCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
