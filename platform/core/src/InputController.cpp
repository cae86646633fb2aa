#include "core/InputController.h"

#include <cmath>

namespace kavri3D {
namespace core {

namespace {
bool known(int action) { return action > yake::input::ACTIONID_NONE && action < yake::input::ACTIONID_COUNT; }
} // namespace

InputController::InputController()
    : mAmounts(yake::input::ACTIONID_COUNT, 0.0f), mEnabled(yake::input::ACTIONID_COUNT, true)
{
}

void InputController::bindMouseMove(int axis, int direction, float scale, int action)
{
    if (known(action) && axis >= 0 && axis <= yake::input::MMA_WHEEL && std::isfinite(scale))
        mBinds.push_back(Bind{axis, direction != 0 ? 1 : 0, scale, action});
}

void InputController::enableAction(int action, bool enable)
{
    if (!known(action))
        return;
    mEnabled[static_cast<std::size_t>(action)] = enable;
    if (!enable)
        mAmounts[static_cast<std::size_t>(action)] = 0.0f;
}

bool InputController::isActionEnabled(int action) const
{
    return known(action) && mEnabled[static_cast<std::size_t>(action)];
}

void InputController::restart()
{
    for (float& a : mAmounts)
        a = 0.0f;
}

void InputController::onMouseMove(float dx, float dy, float wheel)
{
    const float moved[] = {dx, dy, 0.0f, wheel};
    for (const Bind& b : mBinds) {
        const float m = moved[b.axis];
        if (!std::isfinite(m) || m == 0.0f || (m > 0.0f) != (b.direction == 1) || !isActionEnabled(b.action))
            continue;
        float& amount = mAmounts[static_cast<std::size_t>(b.action)];
        amount = std::fmax(-1e6f, std::fmin(1e6f, amount + std::fabs(m) * b.scale));
    }
}

float InputController::takeAction(int action)
{
    if (!known(action))
        return 0.0f;
    const float a = mAmounts[static_cast<std::size_t>(action)];
    mAmounts[static_cast<std::size_t>(action)] = 0.0f;
    return a;
}

float InputController::peekAction(int action) const
{
    return known(action) ? mAmounts[static_cast<std::size_t>(action)] : 0.0f;
}

} // namespace core
} // namespace kavri3D
