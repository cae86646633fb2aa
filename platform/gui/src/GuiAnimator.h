#pragma once
#include <functional>
#include <string>
#include <gui/IGuiAnimator.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;

/// The GUI's screen animation, reduced to its timing: a named animation plays for a fixed
/// time and ends; the idle animation runs until cleared. Every call is counted
/// ("animator.play", "animator.update", ...).
class GuiAnimator : public IGuiAnimator {
public:
    enum State { Idle, Playing };
    static const char* stateName(State state);
    /// How long a named animation plays, in seconds.
    static constexpr float kPlaySeconds = 0.5f;

    explicit GuiAnimator(CallCounter& calls) : mCalls(calls) {}

    void beginStep() override;
    bool step(float seconds) override;
    void endStep() override;
    bool isAnimating() override { return mState == Playing; }
    void play(const std::string& name) override;
    void clear() override;
    void tick(float dt) override;
    void runIdle() override;
    bool isIdleRunning() override { return mIdle; }
    void update(float dt) override;
    /// Runs after each update: the GUI's own once-a-frame work.
    void setFrameHook(std::function<void()> hook) { mFrameHook = std::move(hook); }

    State state() const { return mState; }
    const std::string& current() const { return mCurrent; }

private:
    bool advance(float seconds);

    CallCounter& mCalls;
    State mState = Idle;
    std::string mCurrent;
    float mRemaining = 0.0f;
    bool mIdle = false;
    std::function<void()> mFrameHook;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
