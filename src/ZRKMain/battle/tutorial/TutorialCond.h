#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

class BattleRoomNewbie;

/// A one-shot change of the tutorial's battle, made when a step is entered or left.
class TutorialCond {
public:
    explicit TutorialCond(BattleRoomNewbie* room) : mRoom(room) {}
    virtual ~TutorialCond() = default;
    virtual void apply(const std::string& args) = 0;

protected:
    BattleRoomNewbie* mRoom;
};

} // namespace zrk
} // namespace kavri3D
