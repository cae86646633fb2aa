#pragma once
#include <string>
#include <yake/Vector3.h>
#include "battle/tutorial/TutorialMarkerTask.h"

namespace kavri3D {
namespace zrk {

/// "move": walk to a map node or point, shown by a marker.
class TutorialMoveTask : public TutorialMarkerTask {
public:
    explicit TutorialMoveTask(BattleRoomNewbie* room) : TutorialMarkerTask(room, 7) {}
    void start(const std::string& args) override;
    void stop() override;
    void update() override;
    const yake::math::Vector3& getTarget() const { return mTarget; }
    bool isActive() const { return mActive; }

private:
    yake::math::Vector3 mTarget{0.0f, 0.0f, 0.0f};
    bool mActive = false;
};

} // namespace zrk
} // namespace kavri3D
