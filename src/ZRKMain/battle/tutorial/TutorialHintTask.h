#pragma once
#include "battle/tutorial/TutorialTask.h"

namespace kavri3D {
namespace zrk {

/// A task that reminds an idle player what to do: the guide's "junior" hint of its id, first
/// after 10 s and then at most every 10 s while the goal is not met.
class TutorialHintTask : public TutorialTask {
public:
    static constexpr float kHintSeconds = 10.0f;
    TutorialHintTask(BattleRoomNewbie* room, int hintId) : TutorialTask(room), mHintId(hintId) {}
    float getHintTime() const { return mHintTime; }

protected:
    void startHint();
    void stopHint() { mHintTime = -1.0f; }
    /// Shows the hint when it is due.
    void idleHint();

private:
    int mHintId;
    float mHintTime = -1.0f;
};

} // namespace zrk
} // namespace kavri3D
