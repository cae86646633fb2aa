#pragma once
#include <string>
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "chat": a line said in the battle chat.
class TutorialChatTask : public TutorialTask {
public:
    explicit TutorialChatTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void start(const std::string& args) override;
    void update() override;
};

} // namespace zrk
} // namespace kavri3D
