#pragma once
// Header only: the benchmarks run their games with it too, without the test library.
#include <chrono>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>

namespace zrktest {

/// The one frame loop of the tests: runs a harness's frame (the whole game's, a window's, a
/// session's) a number of times or until something holds, and when a wait gives up says what
/// was waited for, how long, and where the game stood.
class FramePump {
public:
    /// One frame; false when no frame more can run (the game ended, the window went).
    typedef std::function<bool()> Step;
    /// Where the game stands, for the report of a wait that gave up (e.g. its client state).
    typedef std::function<std::string()> Scene;

    /// How a wait ended: true when what was waited for came; otherwise the pump's report,
    /// which an ASSERT_TRUE of the wait prints.
    class Waited {
    public:
        Waited(bool came, std::string report) : mCame(came), mReport(std::move(report)) {}
        operator bool() const { return mCame; }
        operator ::testing::AssertionResult() const
        {
            return mCame ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << mReport;
        }
        const std::string& report() const { return mReport; }

    private:
        bool mCame;
        std::string mReport;
    };

    explicit FramePump(Step step, Scene scene = Scene()) : mStep(std::move(step)), mScene(std::move(scene)) {}

    /// Runs `count` frames; false when the frame ended the run on the way.
    bool frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            ++mFramesRun;
            if (!mStep())
                return false;
        }
        return true;
    }
    /// Runs frames until `done` holds, looked at before each frame and after the last; at most
    /// `limit` frames. A failure names `what`, the frames run and the scene.
    Waited until(const std::function<bool()>& done, int limit, const std::string& what = std::string())
    {
        return wait(done, limit, 0.0, what);
    }
    /// As until, bounded by the wall clock instead of a count: for waits on what other threads
    /// or processes do (a download, a browser), which get the processor between frames.
    Waited untilSeconds(const std::function<bool()>& done, double seconds, const std::string& what = std::string())
    {
        return wait(done, INT_MAX, seconds, what);
    }

    /// Frames run since the pump was made.
    long framesRun() const { return mFramesRun; }

private:
    Waited wait(const std::function<bool()>& done, int limit, double seconds, const std::string& what)
    {
        typedef std::chrono::steady_clock Clock;
        const Clock::time_point start = Clock::now();
        const bool timed = seconds > 0.0;
        const Clock::time_point end =
            start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        int run = 0;
        bool ended = false;
        for (; run < limit && !(timed && Clock::now() >= end); ++run) {
            if (done())
                return Waited(true, std::string());
            ++mFramesRun;
            if (!mStep()) {
                ++run;
                ended = true;
                break;
            }
            if (timed)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (done())
            return Waited(true, std::string());
        std::ostringstream report;
        report << "gave up waiting for " << (what.empty() ? std::string("the condition") : what) << " after " << run
               << (run == 1 ? " frame" : " frames") << " ("
               << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() << " ms)";
        if (ended)
            report << ": the run ended";
        const std::string scene = mScene ? mScene() : std::string();
        if (!scene.empty())
            report << "; " << scene;
        return Waited(false, report.str());
    }

    Step mStep;
    Scene mScene;
    long mFramesRun = 0;
};

} // namespace zrktest
