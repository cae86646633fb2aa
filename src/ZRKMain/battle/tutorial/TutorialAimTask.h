#pragma once
#include <string>
#include "battle/tutorial/TutorialHintTask.h"

namespace kavri3D {
namespace zrk {

/// "aim": the sight is up.
class TutorialAimTask : public TutorialHintTask {
public:
    /// How far (radians) the view starts turned past the dummy.
    static constexpr float kViewOff = 0.3f;

    explicit TutorialAimTask(BattleRoomNewbie* room) : TutorialHintTask(room, 17) {}
    void start(const std::string& args) override;
    void stop() override;
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
