#pragma once
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "rescure": the partner down in seats 5-7 is brought back.
class TutorialRescureTask : public TutorialTask {
public:
    explicit TutorialRescureTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
