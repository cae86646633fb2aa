#pragma once
#include <core/GrafixClientState.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// The battle's drag cursor: any drag is accepted, and a drag starting or ending restarts the
/// camera's controllers of its mode and the own doll's controller. It keeps the camera from
/// looking more than 75 degrees up or down.
class DragCursorModule : public core::IDragCursorModule {
public:
    explicit DragCursorModule(BattleRoom& room);
    bool acceptDrag() override { return true; }
    void restartControllers() override;
    void onDragChanged(bool) override {}

private:
    BattleRoom& mRoom;
    core::Camera* mCamera;
};

} // namespace zrk
} // namespace kavri3D
