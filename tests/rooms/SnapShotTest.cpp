// The snapshot handle: what attach takes and deletes, set-up through prepare, the render hooks,
// and the lens it copies from the game window's camera.
#include <memory>
#include <vector>

#include "BackgroundKit.h"

using namespace kavri3D;
using core::SnapShotEx;
using roomtest::FakeImpl;
using roomtest::ImplCounts;

namespace {

/// A scene that writes what happens to it into a shared list.
class RecordingScene : public core::SnapShotScene {
public:
    RecordingScene(std::vector<std::string>& calls, const std::string& name) : mCalls(calls), mName(name) {}
    ~RecordingScene() override { mCalls.push_back(mName + " gone"); }
    void setupScene() override { mCalls.push_back(mName + " setup"); }
    void showEntities() override { mCalls.push_back(mName + " show"); }
    void hideEntities() override { mCalls.push_back(mName + " hide"); }

private:
    std::vector<std::string>& mCalls;
    std::string mName;
};

/// A render target that notes when it goes.
class NotedImpl : public FakeImpl {
public:
    NotedImpl(SnapShotEx* owner, ImplCounts& counts, std::vector<std::string>& calls, bool works = true)
        : FakeImpl(owner, "tex", "noted_cam" + std::to_string(counts.made), counts, works), mCalls(calls)
    {
    }
    ~NotedImpl() override { mCalls.push_back("target gone"); }

private:
    std::vector<std::string>& mCalls;
};

struct SnapShotFixture : ::testing::Test {
    roomtest::HeadlessGraphics gfx;
    ImplCounts counts;
    std::vector<std::string> calls;
};

} // namespace

TEST_F(SnapShotFixture, AttachTakesOneTargetAndReplacesTheScene)
{
    SnapShotEx shot(0);
    EXPECT_EQ(shot.attach(new RecordingScene(calls, "a"), new NotedImpl(&shot, counts, calls)), "tex");
    EXPECT_EQ(calls, std::vector<std::string>({"a setup"}));
    core::AbsRTTSnapShotImpl* held = shot.getImpl();
    ASSERT_NE(shot.getCamera(), nullptr);

    // A second target is not taken: it goes at once, the first stays; the scene is replaced.
    calls.clear();
    EXPECT_EQ(shot.attach(new RecordingScene(calls, "b"), new NotedImpl(&shot, counts, calls)), "tex");
    EXPECT_EQ(calls, std::vector<std::string>({"a gone", "target gone", "b setup"}));
    EXPECT_EQ(shot.getImpl(), held);

    calls.clear();
    shot.preRender();
    shot.postRender();
    EXPECT_EQ(calls, std::vector<std::string>({"b show", "b hide"}));

    calls.clear();
    shot.reset(); // the target first, then the scene
    EXPECT_EQ(calls, std::vector<std::string>({"target gone", "b gone"}));
    EXPECT_EQ(shot.getScene(), nullptr);
    EXPECT_EQ(shot.getCamera(), nullptr);
    EXPECT_EQ(counts.made, 1); // the one not taken was never made
    EXPECT_EQ(counts.gone, 2);
    // The camera's name is free again.
    EXPECT_FALSE(gfx.graphics->getSceneManager()->hasCamera("noted_cam0"));
}

TEST_F(SnapShotFixture, WithoutAWorkingTargetThereIsNoNameAndNoSetUp)
{
    SnapShotEx none(0);
    EXPECT_EQ(none.attach(new RecordingScene(calls, "a"), nullptr), "");
    SnapShotEx failing(0);
    EXPECT_EQ(failing.attach(new RecordingScene(calls, "b"), new NotedImpl(&failing, counts, calls, false)), "");
    EXPECT_NE(failing.getImpl(), nullptr); // kept, as made
    EXPECT_EQ(calls, std::vector<std::string>());
    EXPECT_FALSE(failing.saveToFile("/tmp/never.png"));
    EXPECT_FALSE(none.saveToFile("/tmp/never.png"));
    failing.addRenderListener(); // no render target: nothing to listen to
    EXPECT_EQ(failing.getTexture(), nullptr);
}

TEST_F(SnapShotFixture, TheDefaultLensIsCopiedButTheAspectStaysSquare)
{
    Ogre::Camera* lens = gfx.graphics->getCamera();
    lens->setFOVy(Ogre::Degree(30));
    lens->setNearClipDistance(5);
    lens->setFarClipDistance(5000);
    lens->setAspectRatio(16.0f / 9.0f);
    SnapShotEx plain(0), copied(SnapShotEx::kDefaultLens);
    plain.attach(new RecordingScene(calls, "a"), new FakeImpl(&plain, "t1", "c1", counts));
    copied.attach(new RecordingScene(calls, "b"), new FakeImpl(&copied, "t2", "c2", counts));
    copied.getCamera()->setAspectRatio(1);
    copied.prepare();
    EXPECT_FLOAT_EQ(copied.getCamera()->getFOVy().valueDegrees(), 30.0f);
    EXPECT_FLOAT_EQ(copied.getCamera()->getNearClipDistance(), 5.0f);
    EXPECT_FLOAT_EQ(copied.getCamera()->getFarClipDistance(), 5000.0f);
    EXPECT_FLOAT_EQ(copied.getCamera()->getAspectRatio(), 1.0f);
    EXPECT_NE(plain.getCamera()->getFOVy().valueDegrees(), 30.0f);
}

TEST_F(SnapShotFixture, ModeOneHidesTheMainViewsOwnThingsOnlyWhileItRenders)
{
    Ogre::SceneManager* scene = gfx.graphics->getSceneManager();
    const Ogre::uint32 all = scene->getVisibilityMask();
    SnapShotEx shot(SnapShotEx::kHideMainViewOnly);
    shot.setFlags(SnapShotEx::kDefaultLens, 0);
    EXPECT_EQ(shot.getFlags(), SnapShotEx::kHideMainViewOnly);
    shot.preRender();
    EXPECT_EQ(scene->getVisibilityMask() & core::GraphicsManager::kMainViewOnly, 0u);
    shot.preRender(); // nested: the outer render restores
    shot.postRender();
    EXPECT_EQ(scene->getVisibilityMask() & core::GraphicsManager::kMainViewOnly, 0u);
    shot.postRender();
    EXPECT_EQ(scene->getVisibilityMask(), all);
}
