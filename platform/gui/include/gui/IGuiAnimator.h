#pragma once
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The GUI's animator, stepped by the current room every frame.
class IGuiAnimator {
public:
    virtual ~IGuiAnimator() = default;
    virtual void beginStep() = 0;
    /// False when the step ended the animation.
    virtual bool step(float seconds) = 0;
    virtual void endStep() = 0;
    virtual bool isAnimating() = 0;
    virtual void play(const std::string& name) = 0;
    virtual void clear() = 0;
    virtual void tick(float dt) = 0;
    virtual void runIdle() = 0;
    virtual bool isIdleRunning() = 0;
    virtual void update(float dt) = 0;
};

/// Event ids the GUI has queued for later: `next` gives the next due id (0 when none is
/// due), `handle` hands an id to the GUI.
class IEventIdQueue {
public:
    virtual ~IEventIdQueue() = default;
    virtual int next(float dt) = 0;
    virtual void handle(int eventId) = 0;
    /// Queues an id to come due after `delay` seconds.
    virtual void push(int eventId, float delay) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
