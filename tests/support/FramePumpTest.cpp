// The tests' frame loop: how many frames it runs, when it stops, and what a wait that gave up
// tells.
#include <gtest/gtest.h>
#include <string>

#include "support/FramePump.h"

namespace {

/// A run that ends after `lasts` frames, counting the frames asked of it.
struct CountedRun {
    int asked = 0;
    int lasts = 1000;
    zrktest::FramePump pump{[this] { return ++asked < lasts; }, [this] { return "frame " + std::to_string(asked); }};
};

TEST(FramePump, RunsTheFramesAskedAndStopsWhenTheRunEnds)
{
    CountedRun run;
    EXPECT_TRUE(run.pump.frames(3));
    EXPECT_EQ(run.asked, 3);
    EXPECT_TRUE(run.pump.frames(0));
    EXPECT_EQ(run.asked, 3);

    run.lasts = 5; // the fifth frame is the last
    EXPECT_FALSE(run.pump.frames(10));
    EXPECT_EQ(run.asked, 5);
    EXPECT_EQ(run.pump.framesRun(), 5);
}

TEST(FramePump, AWaitLooksBeforeEachFrameAndRunsNoFrameWhenItAlreadyHolds)
{
    CountedRun run;
    EXPECT_TRUE(run.pump.until([] { return true; }, 50));
    EXPECT_EQ(run.asked, 0);

    int looks = 0;
    EXPECT_TRUE(run.pump.until([&] { return ++looks == 4; }, 50));
    EXPECT_EQ(run.asked, 3); // looked at, frame, looked at, frame, looked at, frame, held
    EXPECT_EQ(looks, 4);

    // What holds only after the last frame allowed still counts.
    run.asked = 0;
    EXPECT_TRUE(run.pump.until([&] { return run.asked == 5; }, 5));
    EXPECT_EQ(run.asked, 5);
}

TEST(FramePump, AWaitThatGivesUpSaysWhatItWaitedForHowLongAndWhereTheGameStood)
{
    CountedRun run;
    const zrktest::FramePump::Waited waited = run.pump.until([] { return false; }, 7, "the hall");
    EXPECT_FALSE(waited);
    EXPECT_EQ(run.asked, 7);
    const std::string told = waited.report();
    EXPECT_NE(told.find("the hall"), std::string::npos) << told;
    EXPECT_NE(told.find("7 frames"), std::string::npos) << told;
    EXPECT_NE(told.find("frame 7"), std::string::npos) << told; // the scene at the end
    // What an ASSERT_TRUE of the wait prints.
    const ::testing::AssertionResult asserted = waited;
    EXPECT_FALSE(asserted);
    EXPECT_EQ(std::string(asserted.message()), told);

    // A run that ends on the way stops the wait there, and says so.
    CountedRun ending;
    ending.lasts = 2;
    const zrktest::FramePump::Waited cut = ending.pump.until([] { return false; }, 100, "the battle");
    EXPECT_FALSE(cut);
    EXPECT_EQ(ending.asked, 2);
    EXPECT_NE(cut.report().find("the run ended"), std::string::npos) << cut.report();
}

TEST(FramePump, AWaitByTheClockGivesUpWhenItsTimeIsOut)
{
    CountedRun run;
    EXPECT_TRUE(run.pump.untilSeconds([&] { return run.asked == 3; }, 30.0, "three frames"));
    EXPECT_EQ(run.asked, 3);

    const zrktest::FramePump::Waited waited = run.pump.untilSeconds([] { return false; }, 0.05, "nothing");
    EXPECT_FALSE(waited);
    EXPECT_GT(run.asked, 3); // frames ran meanwhile
    EXPECT_NE(std::string(waited.report()).find("nothing"), std::string::npos) << waited.report();
}

} // namespace
