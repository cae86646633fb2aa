#pragma once
#include <string>
#include "battle/tutorial/TutorialHintTask.h"

namespace kavri3D {
namespace zrk {

/// "fury": the own doll in a rage.
class TutorialFuryTask : public TutorialHintTask {
public:
    explicit TutorialFuryTask(BattleRoomNewbie* room) : TutorialHintTask(room, 21) {}
    void start(const std::string& args) override;
    void stop() override;
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
