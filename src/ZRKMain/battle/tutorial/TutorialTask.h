#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

class BattleRoomNewbie;

/// What the player must achieve during a tutorial step: started when the step is entered,
/// polled every frame, stopped when it is left; it tells the room when its goal is met.
class TutorialTask {
public:
    explicit TutorialTask(BattleRoomNewbie* room) : mRoom(room) {}
    virtual ~TutorialTask() = default;
    virtual void start(const std::string& args) {}
    virtual void stop() {}
    virtual void update() = 0;

protected:
    BattleRoomNewbie* mRoom; ///< not owned; the room owns the task
};

} // namespace zrk
} // namespace kavri3D
