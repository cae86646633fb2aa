#pragma once
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "roam": the camera roams the map.
class TutorialRoamTask : public TutorialTask {
public:
    explicit TutorialRoamTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
