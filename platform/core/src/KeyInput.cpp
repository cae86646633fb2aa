#include "core/KeyInput.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::KeyInput);

namespace kavri3D {
namespace core {

void KeyInput::injectKeyDown(int scan)
{
    // A key held down repeats in the window; only its first press counts.
    if (mHeld.insert(scan).second)
        push(scan, true);
}

void KeyInput::injectKeyUp(int scan)
{
    if (mHeld.erase(scan))
        push(scan, false);
}

std::vector<KeyInput::KeyEvent> KeyInput::takeEvents()
{
    std::vector<KeyEvent> out;
    out.swap(mPending);
    return out;
}

void KeyInput::reset()
{
    mHeld.clear();
    mPending.clear();
}

void KeyInput::push(int scan, bool down)
{
    if (mPending.size() >= kMaxPending)
        mPending.erase(mPending.begin());
    mPending.push_back(KeyEvent{scan, down});
}

} // namespace core
} // namespace kavri3D
