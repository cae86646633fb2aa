// Guide texts and weapon sets read from the GUI's JSON file.
#include <gtest/gtest.h>
#include <json/value.h>
#include <yake/Logger.h>

#include "shell/GuideContent.h"
#include "support/TestEnv.h"

using kavri3D::zrk::GuideContent;

namespace {
struct GuideFixture : ::testing::Test {
    zrktest::TempDir dir;
    GuideContent guide;
    yake::logging::logger& log = yake::logging::logger::instance();

    GuideFixture()
    {
        log.enableAllSeverities();
        log.startCapture();
    }
    ~GuideFixture() override { log.stopCapture(); }

    void load(const std::string& content)
    {
        zrktest::writeFile(dir.file("guide.json"), content);
        guide.load(dir.file("guide.json"));
    }
    std::size_t readFailures() const
    {
        return log.countCaptured("GuideContent::load", "guildContent.json read failed");
    }
};
} // namespace

TEST_F(GuideFixture, AMissingFileLogsOnceAndAnswersEmpty)
{
    guide.load(dir.file("none.json"));
    EXPECT_EQ(log.countCaptured("GuideContent::load", "guildContent.json open failed"), 1u);
    EXPECT_EQ(log.captured().size(), 1u);
    EXPECT_EQ(guide.getString("hint", 0), "");
    EXPECT_TRUE(guide.getValue("hint", 0).isNull());
}

TEST_F(GuideFixture, EmptyMalformedOrNonObjectFilesLogOnceEachAndLeaveTheContentEmpty)
{
    load("");
    load("{\"hint\": [\"a\"");
    load("[\"hint\"]");
    load("{\"ca1\": " + zrktest::nestedJson(1001) + "}"); // deeper than the reader's stack limit
    EXPECT_EQ(readFailures(), 4u);
    EXPECT_EQ(log.captured().size(), 4u);
    EXPECT_EQ(guide.getString("hint", 0), "");

    load("{\"hint\": [\"a\"]}");
    load("not json");
    EXPECT_EQ(guide.getString("hint", 0), ""); // the earlier good content is not kept half
}

TEST_F(GuideFixture, OnlyTextsInRangeOfAListAreAnswered)
{
    load("// guide\n{\"ca1\": [\"10001\", 5, {\"a\": 1}, null], \"hint\": \"not a list\", \"n\": 3}");
    EXPECT_EQ(guide.getString("ca1", 0), "10001");
    EXPECT_EQ(guide.getString("ca1", 1), ""); // a number is no item id
    EXPECT_EQ(guide.getString("ca1", 2), ""); // jsoncpp would throw on this one
    EXPECT_EQ(guide.getString("ca1", 4), "");
    EXPECT_EQ(guide.getString("ca1", -1), "");
    EXPECT_EQ(guide.getString("hint", 0), "");
    EXPECT_EQ(guide.getString("n", 0), "");
    EXPECT_EQ(guide.getValue("ca1", 2)["a"].asInt(), 1);
    EXPECT_TRUE(log.captured().empty());
}

TEST_F(GuideFixture, GetValueIsTheStoredValueAndAbsentEntriesShareNoState)
{
    load("{\"ca2\": [\"10011\", \"10012\"]}");
    guide.getValue("ca2", 1) = "20000";
    EXPECT_EQ(guide.getString("ca2", 1), "20000");

    Json::Value& missing = guide.getValue("ca9", 0);
    EXPECT_TRUE(missing.isNull());
    missing = "junk"; // a caller writing into an absent entry
    EXPECT_TRUE(guide.getValue("ca2", 7).isNull());
    EXPECT_EQ(guide.getString("ca9", 0), "");
    // Asking past the end grew no list: a write there does not land in the set.
    guide.getValue("ca2", 2) = "10013";
    EXPECT_EQ(guide.getString("ca2", 2), "");
}

TEST(GuideContentFile, TheShippedFileHoldsSixItemIdsInEachWeaponSet)
{
    GuideContent guide;
    guide.load(zrktest::binFolder() + "/" + GuideContent::kDefaultPath);
    for (const char* set : {"ca1", "ca2", "ca3"})
        for (int i = 0; i < 6; ++i)
            EXPECT_FALSE(guide.getString(set, i).empty()) << set << " " << i;
    EXPECT_FALSE(guide.getString("npc", 0).empty());
}
