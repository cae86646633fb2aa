#pragma once
#include <vector>
#include <yake/Input.h>

namespace kavri3D {
namespace core {

/// Turns mouse motion into amounts of actions through its bindings. A binding listens to one
/// axis in one direction and adds the motion's size times its scale to its action; a disabled
/// action gathers nothing. The camera takes the amounts each frame.
class InputController {
public:
    InputController();

    void bindMouseMove(int axis, int direction, float scale, int action);
    void clearBinds() { mBinds.clear(); }
    std::size_t bindCount() const { return mBinds.size(); }
    void enableAction(int action, bool enable);
    bool isActionEnabled(int action) const;
    /// Forgets the amounts gathered so far.
    void restart();
    /// Mouse motion in pixels (dx, dy) and wheel steps.
    void onMouseMove(float dx, float dy, float wheel);
    /// The amount gathered for the action since it was last taken; it starts again from 0.
    float takeAction(int action);
    float peekAction(int action) const;

private:
    struct Bind {
        int axis;
        int direction;
        float scale;
        int action;
    };
    std::vector<Bind> mBinds;
    std::vector<float> mAmounts;
    std::vector<bool> mEnabled;
};

} // namespace core
} // namespace kavri3D
