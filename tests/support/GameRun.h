#pragma once
// The whole game in the test's own process, its frame loop in the test's hands: the real
// start-up and shut-down, with the test's body in place of the frame loop. For targets that
// link the module's objects (zrk_main_objs).
#include <core/ClientStateMachine.h>
#include <filesystem>
#include <functional>
#include <string>
#include <yake/Time.h>

#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "support/FramePump.h"

namespace zrktest {

class GameRun : public kavri3D::zrk::Application {
public:
    typedef std::function<void(GameRun&)> Body;

    GameRun(const std::string& commandLine, Body body)
        : kavri3D::zrk::Application(kavri3D::zrk::moduleInstance(), commandLine), mBody(std::move(body))
    {
    }

    /// Runs start-up, the body, then shut-down, as GameEntry would (without its lock); the
    /// working folder is given back afterwards. True when start-up and shut-down succeeded.
    /// `programFolder` (ending in "/"): an installation to run from instead of the build's.
    static bool run(const std::string& commandLine, Body body, const std::string& programFolder = std::string())
    {
        const std::string cwd = std::filesystem::current_path().string();
        kavri3D::zrk::appModule().Init(kavri3D::zrk::moduleInstance(), nullptr);
        if (!programFolder.empty())
            kavri3D::zrk::appModule().setProgramFolder(win32WideFromUtf8(programFolder));
        bool ok = false;
        {
            GameRun game(commandLine, std::move(body));
            ok = kavri3D::core::runApplication(game);
            ok = ok && game.mBodyRan;
        }
        kavri3D::zrk::appModule().Term();
        std::filesystem::current_path(cwd);
        return ok;
    }

    /// Runs up to `count` frames; false when the game ended on the way.
    bool frames(int count) { return mPump.frames(count); }
    /// As frames, with the game's clock (set by hand) moved on `step` seconds before each.
    bool playFrames(int count, double step = 0.25)
    {
        mClockStep = step;
        const bool ran = mPump.frames(count);
        mClockStep = 0;
        return ran;
    }
    /// Runs frames until `done` holds or `limit` frames have passed; a failure says what was
    /// waited for (`what`, when given) and the client state the game stood in.
    FramePump::Waited framesUntil(const std::function<bool()>& done, int limit, const std::string& what = std::string())
    {
        return mPump.until(done, limit, what);
    }
    /// As framesUntil, bounded by the wall clock: for what comes over a real connection.
    FramePump::Waited secondsUntil(const std::function<bool()>& done, double seconds,
                                   const std::string& what = std::string())
    {
        return mPump.untilSeconds(done, seconds, what);
    }
    /// As framesUntil, with the game's clock (set by hand) moved on `step` seconds before each
    /// look: the server's players and the battles keep the game's time.
    FramePump::Waited playUntil(const std::function<bool()>& done, int limit, double step = 0.25)
    {
        return framesUntil(
            [&] {
                yake::native::advanceTime(step);
                return done();
            },
            limit);
    }
    std::string stateName() const
    {
        kavri3D::core::ClientStateMachine* m = stateMachine();
        return m ? m->currentStateName() : std::string();
    }

    bool onRun() override
    {
        getApplicationState()->start();
        mBodyRan = true;
        mBody(*this);
        return true;
    }

private:
    Body mBody;
    bool mBodyRan = false;
    double mClockStep = 0;
    FramePump mPump{[this] {
                        if (mClockStep > 0)
                            yake::native::advanceTime(mClockStep);
                        return runOneFrame();
                    },
                    [this] { return "the game stood in state \"" + stateName() + "\""; }};
};

} // namespace zrktest
