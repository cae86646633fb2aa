#pragma once
#include <string>
#include "battle/tutorial/TutorialHintTask.h"

namespace kavri3D {
namespace zrk {

/// "jump": the own doll jumps.
class TutorialJumpTask : public TutorialHintTask {
public:
    explicit TutorialJumpTask(BattleRoomNewbie* room) : TutorialHintTask(room, 9) {}
    void start(const std::string& args) override;
    void stop() override;
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
