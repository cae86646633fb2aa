#pragma once
// A rookie at a lesson's shooting step who does only what the line under the step's words says:
// the key it names for turning (A or D) tapped and the line read again once the figure stands,
// the key it names for the barrel (Up or Down) held while it says so, and Space held for the
// time it tells, counted on the game's clock, once the figure has stood still a moment. While
// it is not his turn (his shell in the air, the other side's turn) his hands are off the keys.
// How a key reaches the game (X events, the engine's key input) is the caller's.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gui/IGuideView.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <map>
#include <set>
#include <string>

#include "battle/tutorial/BattleRoomNewbie.h"

namespace zrktest {

class ShotAsTold {
public:
    enum Key { TurnLeft, TurnRight, Raise, Lower, Fire };
    typedef std::function<void(Key key, bool down)> Press;

    ShotAsTold(kavri3D::zrk::BattleRoomNewbie& room, int fps, const Press& press)
        : mRoom(room), mFps(fps), mPress(press)
    {
    }

    /// One frame of the shooting step `index`; true on the frame he has looked at the screen
    /// as his turn began (the view and the bubbles settled on his figure).
    bool frame(int index)
    {
        using namespace kavri3D::zrk;
        ZRKLand* land = mRoom.getLand();
        ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
        gui::IGuideView* guide = mRoom.getGuide();
        if (!land || !me || !guide)
            return false;
        if (mSpaceFrames > 0) {
            if (--mSpaceFrames == 0) {
                hold(Fire, false);
                ++shots[index];
                // He waits to see the shot leave before he reads the line again.
                mTurnFrames = mStillFrames = 0;
            }
            return false;
        }
        const bool myTurn = land->getActingDoll() == me && me->isFlagSet(SIM_MAY_FIRE) && !me->isDead();
        if (!myTurn || !land->getShells().empty() || !mRoom.isCameraOwn()) {
            letGo();
            return false;
        }
        // As his turn begins he looks at the screen a moment before he acts.
        if (++mTurnFrames < kLookFrames)
            return false;
        if (mHeld.count(TurnLeft) || mHeld.count(TurnRight)) {
            // A tap: down one frame, up the next; he reads the line again once the figure has
            // stopped turning.
            hold(TurnLeft, false);
            hold(TurnRight, false);
            mSettleFrames = 2;
            return false;
        }
        if (mSettleFrames > 0) {
            --mSettleFrames;
            return false;
        }
        const std::string line = guide->getLine();
        lines.insert(line);
        hold(TurnLeft, line.find("with A ") != std::string::npos);
        hold(TurnRight, line.find("with D ") != std::string::npos);
        hold(Raise, line.find("with Up till") != std::string::npos);
        hold(Lower, line.find("with Down till") != std::string::npos);
        mStillFrames = mHeld.empty() ? mStillFrames + 1 : 0;
        const char* const says = "hold Space about ";
        const std::size_t at = line.find(says);
        if (at != std::string::npos && mStillFrames >= 3) {
            const float seconds = std::strtof(line.c_str() + at + std::strlen(says), nullptr);
            mSpaceFrames = std::max(1, static_cast<int>(std::lround(seconds * static_cast<float>(mFps))));
            hold(Fire, true);
        }
        return mTurnFrames == kLookFrames;
    }

    /// Hands off the keys: a new step, or not his turn.
    void letGo()
    {
        for (Key key : std::set<Key>(mHeld))
            hold(key, false);
        mTurnFrames = mStillFrames = mSpaceFrames = mSettleFrames = 0;
    }

    std::map<int, int> shots;    ///< shots fired as told, by step
    std::set<std::string> lines; ///< every line he read

private:
    void hold(Key key, bool down)
    {
        if (down == (mHeld.count(key) > 0))
            return;
        mPress(key, down);
        if (down)
            mHeld.insert(key);
        else
            mHeld.erase(key);
    }

    static constexpr int kLookFrames = 8;

    kavri3D::zrk::BattleRoomNewbie& mRoom;
    const int mFps;
    Press mPress;
    std::set<Key> mHeld;
    int mSpaceFrames = 0;  ///< frames Space is still to be held
    int mTurnFrames = 0;   ///< frames of his turn
    int mStillFrames = 0;  ///< frames since he last held a key
    int mSettleFrames = 0; ///< frames still to wait after a tap
};

} // namespace zrktest
