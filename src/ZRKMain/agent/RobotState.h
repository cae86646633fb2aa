#pragma once

namespace kavri3D {
namespace zrk {

/// What the robot does while one client state is current. The agent enters and leaves it as
/// the client state's name changes and drives it on idle updates.
class RobotState {
public:
    virtual ~RobotState() = 0;
    virtual void onEnter();
    virtual void onExit();
    virtual void onUpdate() = 0;

    /// Seconds on the game clock when the state was entered; -1 while it is not entered.
    double getEnterTime() const { return mEnterTime; }

protected:
    double mEnterTime = -1.0;
};

} // namespace zrk
} // namespace kavri3D
