#include "GuiAnimator.h"

#include <cmath>

#include "CallCounter.h"

namespace kavri3D {
namespace zrk {
namespace gui {

const char* GuiAnimator::stateName(State state)
{
    static const char* const names[] = {"idle", "playing"};
    return names[state];
}

bool GuiAnimator::advance(float seconds)
{
    if (mState != Playing)
        return false;
    if (std::isfinite(seconds) && seconds > 0.0f)
        mRemaining -= seconds;
    if (mRemaining > 0.0f)
        return true;
    mState = Idle;
    mCurrent.clear();
    return false;
}

void GuiAnimator::beginStep() { mCalls.add("animator.beginStep"); }

bool GuiAnimator::step(float seconds)
{
    mCalls.add("animator.step");
    return advance(seconds);
}

void GuiAnimator::endStep() { mCalls.add("animator.endStep"); }

void GuiAnimator::play(const std::string& name)
{
    mCalls.add("animator.play");
    mCalls.add("animator.play:" + name);
    mState = Playing;
    mCurrent = name;
    mRemaining = kPlaySeconds;
}

void GuiAnimator::clear()
{
    mCalls.add("animator.clear");
    mState = Idle;
    mCurrent.clear();
    mRemaining = 0.0f;
    mIdle = false;
}

void GuiAnimator::tick(float dt)
{
    mCalls.add("animator.tick");
    advance(dt);
}

void GuiAnimator::runIdle()
{
    mCalls.add("animator.runIdle");
    mIdle = true;
}

void GuiAnimator::update(float dt)
{
    mCalls.add("animator.update");
    advance(dt);
    if (mFrameHook)
        mFrameHook();
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
