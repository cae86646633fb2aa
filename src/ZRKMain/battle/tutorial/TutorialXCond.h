#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "x": several conditions in one, a JSON list of [keyword, arguments] pairs.
class TutorialXCond : public TutorialCond {
public:
    explicit TutorialXCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
