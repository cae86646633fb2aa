#pragma once
#include <string>
#include "battle/tutorial/TutorialCond.h"

namespace kavri3D {
namespace zrk {

/// "fury": the own doll's fury raised to at least n; its rage may start.
class TutorialFuryCond : public TutorialCond {
public:
    explicit TutorialFuryCond(BattleRoomNewbie* room) : TutorialCond(room) {}
    void apply(const std::string& args) override;
};

} // namespace zrk
} // namespace kavri3D
