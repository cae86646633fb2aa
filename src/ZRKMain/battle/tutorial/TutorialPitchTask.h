#pragma once
#include <string>
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "pitch": the gun at a given pitch.
class TutorialPitchTask : public TutorialTask {
public:
    explicit TutorialPitchTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void start(const std::string& args) override;
    void update() override;

private:
    int mTargetPitch = 45;
};

} // namespace zrk
} // namespace kavri3D
