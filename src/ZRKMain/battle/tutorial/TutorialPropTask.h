#pragma once
#include <string>
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// "prop": a prop used up.
class TutorialPropTask : public TutorialTask {
public:
    explicit TutorialPropTask(BattleRoomNewbie* room) : TutorialTask(room) {}
    void start(const std::string& args) override;
    void update() override;

private:
    std::string mPropName;
};

} // namespace zrk
} // namespace kavri3D
