#pragma once
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "hit": every doll of the other side (seats 0-3) is out.
class TutorialHitTask : public TutorialTask {
public:
    explicit TutorialHitTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
