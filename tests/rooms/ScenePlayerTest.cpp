// The log-in camera tour: the segments in order and the wrap back to the first cycle point, a
// segment's end on its frame, shared targets, the GUI's lists, and files that are no tour.
#include <Ogre.h>
#include <string>

#include "RoomTestKit.h"
#include "rooms/ScenePlayer.h"

using namespace kavri3D;
using zrk::ScenePlayer;

namespace {

// Start at z 0, then cycle points at x 10, 20, 30, all looking at named targets.
const char kTour[] = R"({
  // comments are allowed
  "centre": [0, 0, -100], "left": [-50, 0, -100],
  "start": {"pos": [0, 0, 0], "lookAt": "centre"},
  "cyclelen": 3, "span": 5,
  "cycle": [{"pos": [10, 0, 0], "lookAt": "left"}, {"pos": [20, 0, 0], "lookAt": "left"},
            {"pos": [30, 0, 0], "lookAt": "centre"}],
  "imagesets": ["Lobby", "Shop"], "tips": ["Mind the wind."]
})";

struct TourFixture : ::testing::Test {
    roomtest::HeadlessGraphics gfx;
    roomtest::LogCapture log;
    zrktest::TempDir dir;
    ScenePlayer tour;

    void load(const std::string& text)
    {
        zrktest::writeFile(dir.file("sceneplayer.json"), text);
        tour.load(dir.file("sceneplayer.json"));
    }
    Ogre::Vector3 camera() const { return gfx.graphics->getCamera()->getDerivedPosition(); }
    void expectEmpty() const
    {
        EXPECT_TRUE(tour.getKeyFrames().empty());
        EXPECT_TRUE(tour.getImagesets().imagesets.empty());
        EXPECT_TRUE(tour.getImagesets().tips.empty());
    }
};

} // namespace

TEST_F(TourFixture, SegmentsRunInOrderThenTheCycleStartsAgainFromItsFirstPoint)
{
    load(kTour);
    ASSERT_EQ(tour.getKeyFrames().size(), 4u);
    EXPECT_EQ(ScenePlayer::getSingletonPtr(), &tour);
    // Span 5 at one unit a frame: on the frame where elapsed reaches 5 the camera arrives.
    std::vector<float> xs;
    for (int frame = 0; frame < 20; ++frame) {
        tour.update(1.0f);
        xs.push_back(camera().x);
    }
    EXPECT_EQ(xs[0], 0.0f);
    EXPECT_EQ(xs[4], 8.0f);
    EXPECT_EQ(xs[5], 10.0f); // start -> cycle 0 arrives
    EXPECT_EQ(xs[6], 12.0f); // the next segment began with that frame's time
    EXPECT_EQ(xs[10], 20.0f);
    EXPECT_EQ(xs[11], 22.0f);
    EXPECT_EQ(xs[15], 30.0f);
    EXPECT_EQ(xs[16], 12.0f); // from cycle 2 the camera goes back to the segment from cycle 0
    EXPECT_EQ(tour.getIndex(), 1u);
}

TEST_F(TourFixture, TheCameraLooksAtTheNamedTargetsAndStaysUpright)
{
    load(kTour);
    const Ogre::Vector3 left = tour.getKeyFrames()[1].lookAt;
    EXPECT_EQ(left, Ogre::Vector3(-50, 0, -100));
    EXPECT_EQ(tour.getKeyFrames()[2].lookAt, left); // two points, one target
    for (int i = 0; i < 6; ++i)
        tour.update(1.0f);
    Ogre::Camera* cam = gfx.graphics->getCamera();
    const Ogre::Vector3 want = (left - camera()).normalisedCopy();
    EXPECT_GT(cam->getDerivedDirection().dotProduct(want), 0.9999f);
    EXPECT_NEAR(cam->getDerivedUp().x, 0.0f, 1e-4f);
    EXPECT_GT(cam->getDerivedUp().y, 0.9f);
}

TEST_F(TourFixture, TheGuiListsAreThereRightAfterLoading)
{
    load(kTour);
    ScenePlayer::Lists lists = tour.getImagesets();
    EXPECT_EQ(lists.imagesets, std::vector<std::string>({"Lobby", "Shop"}));
    EXPECT_EQ(lists.tips, std::vector<std::string>({"Mind the wind."}));
}

TEST_F(TourFixture, AShortTourOrNoTimeToFlyLeavesTheCameraAlone)
{
    const Ogre::Vector3 before = camera();
    load(R"({"start": {"pos": [5, 5, 5]}, "cyclelen": 1, "span": 5, "cycle": [{"pos": [9, 9, 9]}]})");
    tour.update(1.0f);
    EXPECT_EQ(camera(), before);

    ScenePlayer still;
    zrktest::writeFile(dir.file("still.json"), R"({"cyclelen": 2, "span": 0, "cycle": [{"pos": [1, 1, 1]}]})");
    still.load(dir.file("still.json"));
    ASSERT_EQ(still.getKeyFrames().size(), 3u); // the missing point reads as the origin
    EXPECT_EQ(still.getKeyFrames()[2].position, Ogre::Vector3::ZERO);
    still.update(1.0f);
    EXPECT_EQ(camera(), before);
    EXPECT_EQ(still.getElapsed(), 0.0f);
}

TEST_F(TourFixture, FilesThatAreNoTourLeaveTheListsEmpty)
{
    tour.load(dir.file("nowhere.json"));
    expectEmpty();
    EXPECT_EQ(log.count("ScenePlayer", "sceneplayer.json open failed"), 1u);

    const char* const bad[] = {
        "",                                                                  // empty
        "this is no JSON",                                                   // not JSON
        R"({"start": {"pos": [0, 0, 0], "lookAt": 7}, "imagesets": ["a"]})", // a number where a name goes
        R"({"cyclelen": "three", "imagesets": ["a"]})",                      // a text where a count goes
        R"({"cyclelen": -3, "imagesets": ["a"]})",
        R"({"cyclelen": 1001, "span": 5, "imagesets": ["a"]})", // absurdly long
        R"({"cycle": {"pos": [1, 2, 3]}, "imagesets": ["a"]})",
        R"({"imagesets": ["a", 3]})",
        R"({"start": {"pos": ["x", 0, 0]}, "imagesets": ["a"]})",
        R"([1, 2, 3])",
    };
    std::size_t failures = 0;
    for (const char* text : bad) {
        load(text);
        expectEmpty();
        ++failures;
        EXPECT_EQ(log.count("ScenePlayer", "sceneplayer.json read failed"), failures) << text;
    }
    // Too deep and too large are refused before parsing.
    load(std::string(2000, '[') + std::string(2000, ']'));
    expectEmpty();
    load("{\"tips\": [\"" + std::string(2u << 20, 'x') + "\"]}");
    expectEmpty();
}
