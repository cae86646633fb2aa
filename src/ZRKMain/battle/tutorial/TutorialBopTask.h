#pragma once
#include <string>
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "bop": a map item shot down.
class TutorialBopTask : public TutorialTask {
public:
    explicit TutorialBopTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void start(const std::string& args) override;
    void update() override;

private:
    std::string mItemName;
};

} // namespace zrk
} // namespace kavri3D
