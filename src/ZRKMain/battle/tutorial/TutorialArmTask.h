#pragma once
#include <string>
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "arm": a given weapon slot in hand.
class TutorialArmTask : public TutorialTask {
public:
    explicit TutorialArmTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void start(const std::string& args) override;
    void update() override;

private:
    int mTargetWeapon = 0;
};

} // namespace zrk
} // namespace kavri3D
