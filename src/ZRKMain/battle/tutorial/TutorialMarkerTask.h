#pragma once
#include <yake/Vector3.h>
#include "battle/tutorial/TutorialHintTask.h"

namespace kavri3D {
namespace zrk {

/// A task that marks where the player must go with the "__gizmo_target" effect.
class TutorialMarkerTask : public TutorialHintTask {
public:
    using TutorialHintTask::TutorialHintTask;
    ~TutorialMarkerTask() override;
    long getMarkerId() const { return mMarkerId; }

protected:
    /// The marker at the point (the old one goes); -1 stays while its picture is not fetched.
    void placeMarker(const yake::math::Vector3& at);
    void removeMarker();
    long mMarkerId = -1;
};

} // namespace zrk
} // namespace kavri3D
