// The background scene's groups: what a refresh builds, keeps and rebuilds, its backdrop window,
// music and roles, its idle action, and what it does with slots and render targets that fail.
#include <core/AudioManager.h>
#include <core/TimerManager.h>
#include <scene/GrafixScene.h>

#include "BackgroundKit.h"
#include "support/LoopbackEar.h"
#include "callbacks/AudioSettingChangedCallbackEvent.h"
#include "rooms/PlayerSnapShotScene.h"
#include "rooms/ScenePlayer.h"

using namespace kavri3D;
using roomtest::BackgroundFixture;
using zrk::BackgroundScene;

namespace {
const char* const kPortraitSlots[] = {"player", "showview", "red0",  "red1",  "red2",
                                      "red3",   "blue0",    "blue1", "blue2", "blue3"};
} // namespace

TEST_F(BackgroundFixture, FirstRefreshBuildsTheBackdropAndThePortraits)
{
    EXPECT_FALSE(scene().isBuilt());
    EXPECT_EQ(scene().getRequestedFlags(), 3u);
    scene().refresh();
    EXPECT_TRUE(scene().isBuilt());
    EXPECT_EQ(scene().getCurrentFlags(), 3u);
    EXPECT_EQ(scene().getRequestedFlags(), 3u);

    // The backdrop: the picture over the whole frame, behind every other window.
    CEGUI::Window* window = backdrop();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getZIndex(), 0u);
    EXPECT_TRUE(window->isMousePassThroughEnabled());
    EXPECT_EQ(window->getPixelSize(), frame.getTopWindow()->getPixelSize());
    EXPECT_EQ(window->getProperty("Image"), "bin/res/gui/bgscene/full_image");
    EXPECT_TRUE(CEGUI::ImageManager::getSingleton().isDefined("bin/res/gui/bgscene/full_image"));
    EXPECT_FALSE(scene().getDefaultSite()->getDesc().getBoolVal("loader/physix", true));
    EXPECT_EQ(scene().getDefaultSite()->getName(), "__bkgnd_site");
    // The music waits for the next frame: the screen comes first.
    EXPECT_EQ(scene().getMusicSoundId(), -1);
    EXPECT_EQ(audio.playingCount(), 0u);
    step();
    EXPECT_TRUE(audio.isPlaying(scene().getMusicSoundId()));

    // The portraits: ten roles, ten live slots; the boxes are not asked for.
    EXPECT_EQ(zrk::RoleManager::instance().roleCount(), 10u);
    for (const char* name : kPortraitSlots)
        EXPECT_NE(slot(name)->getScene(), nullptr) << name;
    EXPECT_EQ(slot("box1")->getScene(), nullptr);
    EXPECT_EQ(counts.made, 10);
    EXPECT_EQ(scene().getRedSnapShots().size(), 4u);
    EXPECT_EQ(scene().getBlueSnapShots().size(), 4u);
    EXPECT_EQ(scene().getPlayerSnapShot(), slot("player"));
}

TEST_F(BackgroundFixture, DroppingPortraitsRebuildsAndAddingThemKeepsTheBackdrop)
{
    scene().refresh();
    step();
    const int firstMusic = scene().getMusicSoundId();

    build(BackgroundScene::kBackdrop); // a group goes: everything is built anew
    EXPECT_EQ(scene().getCurrentFlags(), 1u);
    EXPECT_EQ(scene().getRequestedFlags(), 3u);
    EXPECT_FALSE(audio.isPlaying(firstMusic));
    step();
    const int music = scene().getMusicSoundId();
    EXPECT_TRUE(audio.isPlaying(music));
    EXPECT_NE(music, firstMusic);
    EXPECT_EQ(counts.gone, 10);
    EXPECT_EQ(slot("player")->getScene(), nullptr);
    EXPECT_EQ(zrk::RoleManager::instance().roleCount(), 0u);
    CEGUI::Window* window = backdrop();
    ASSERT_NE(window, nullptr);

    build(BackgroundScene::kBackdrop | BackgroundScene::kPortraits); // only added
    EXPECT_EQ(scene().getCurrentFlags(), 3u);
    EXPECT_EQ(backdrop(), window);
    EXPECT_EQ(scene().getMusicSoundId(), music);
    EXPECT_EQ(audio.playingCount(), 1u);
    EXPECT_EQ(zrk::RoleManager::instance().roleCount(), 10u);
}

TEST_F(BackgroundFixture, TwelveBuildsOnlyTheThreeBoxesAndCountsAsTwelve)
{
    for (const char* box : {"box1", "box2", "box3"})
        core::ProductManager::instance().addDocument(box, "");
    scene().refresh();
    build(BackgroundScene::kThreeBoxes | BackgroundScene::kEightBoxes);
    EXPECT_EQ(scene().getCurrentFlags(), 12u);
    EXPECT_EQ(scene().getBoxSnapShots().size(), 3u);
    EXPECT_NE(slot("box3")->getScene(), nullptr);
    EXPECT_EQ(slot("box4")->getScene(), nullptr);
    EXPECT_EQ(backdrop(), nullptr);
    EXPECT_EQ(scene().getMusicSoundId(), -1);
    EXPECT_EQ(audio.playingCount(), 0u);
}

TEST_F(BackgroundFixture, DestroyingTwiceIsSafeAndAnUnbuiltSceneSkipsItsFrame)
{
    zrk::ScenePlayer tour;
    tour.load();
    scene().refresh();
    scene().destroyScene();
    scene().destroyScene();
    EXPECT_FALSE(scene().isBuilt());
    EXPECT_EQ(scene().getCurrentFlags(), 0u);
    EXPECT_EQ(backdrop(), nullptr);
    EXPECT_EQ(audio.playingCount(), 0u);
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("bin/res/gui/bgscene/full_image"));
    EXPECT_EQ(counts.gone, counts.made);

    const Ogre::Vector3 camera = gfx.graphics->getCamera()->getDerivedPosition();
    scene().onFrame(1.0f);
    EXPECT_EQ(tour.getElapsed(), 0.0f);
    EXPECT_EQ(gfx.graphics->getCamera()->getDerivedPosition(), camera);
    EXPECT_EQ(zrk::RoleManager::getSingletonPtr(), nullptr);
}

TEST_F(BackgroundFixture, TheTourFliesOnlyWithTheBackdropAndTheRolesIdleOnlyWithThePortraits)
{
    zrk::ScenePlayer tour;
    tour.load();
    build(BackgroundScene::kPortraits);
    zrk::ZRKRolePtr seat = zrk::RoleManager::instance().getRole("red1");
    ASSERT_TRUE(seat);
    seat->addItem("boy_wave");
    step(0.5f);
    EXPECT_EQ(tour.getElapsed(), 0.0f);
    EXPECT_FLOAT_EQ(seat->getIdleTime(), 0.5f);

    build(BackgroundScene::kBackdrop);
    step(0.5f);
    EXPECT_FLOAT_EQ(tour.getElapsed(), 0.5f);
    EXPECT_EQ(zrk::RoleManager::instance().roleCount(), 0u);
}

TEST_F(BackgroundFixture, MissingPictureAndMusicFilesLeaveAPlainBackdropAndNoMusic)
{
    board.setString("kavri3D/appPath", "/nonexistent/");
    // The picture is read from the game's GUI folder: point it at an empty one.
    zrktest::TempDir empty;
    static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider())
        ->setResourceGroupDirectory("General", empty.path() + "/");
    scene().refresh();
    step();
    static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider())
        ->setResourceGroupDirectory("General", zrktest::binFolder() + "/res/GUI/");
    ASSERT_NE(backdrop(), nullptr);
    EXPECT_EQ(backdrop()->getProperty("Image"), "");
    EXPECT_EQ(scene().getBackgroundImage(), "");
    EXPECT_EQ(scene().getMusicSoundId(), -1);
    EXPECT_EQ(log.count("audio", "sound /nonexistent/music_bg0.mp3 cannot be played: missing"), 1u);
    EXPECT_TRUE(scene().isBuilt());
    scene().destroyScene();
    scene().refresh(); // made again with the picture back: nothing of the failed one is in the way
    EXPECT_EQ(backdrop()->getProperty("Image"), "bin/res/gui/bgscene/full_image");
}

TEST_F(BackgroundFixture, WithoutAMainFrameThereIsNoBackdropWindowAndOneLogLine)
{
    loan.reset();
    build(BackgroundScene::kBackdrop);
    EXPECT_TRUE(scene().isBuilt());
    EXPECT_EQ(backdrop(), nullptr);
    EXPECT_EQ(log.count("room", "no main frame: the log-in backdrop is not shown"), 1u);
}

TEST_F(BackgroundFixture, TheIdleActionRunsOnceWhenTheBackdropIsReady)
{
    int runs = 0;
    scene().setIdleAction([&runs] { ++runs; });
    scene().refresh();
    EXPECT_EQ(runs, 0); // the backdrop shows first
    step();
    EXPECT_EQ(runs, 1);
    step();
    scene().resetIdleAction("");
    EXPECT_EQ(runs, 1);
}

TEST_F(BackgroundFixture, AnActionSetByTheActionRunsAtTheNextFrame)
{
    std::vector<std::string> ran;
    scene().setIdleAction([&] {
        ran.push_back("first");
        scene().setIdleAction([&ran] { ran.push_back("second"); });
    });
    scene().refresh();
    step();
    EXPECT_EQ(ran, std::vector<std::string>({"first"}));
    step();
    EXPECT_EQ(ran, std::vector<std::string>({"first", "second"}));
}

TEST_F(BackgroundFixture, AnActionSetAfterTheBackdropWasReadyRunsAtTheNextFrame)
{
    scene().refresh();
    step();
    int runs = 0;
    scene().setIdleAction([&runs] { ++runs; });
    EXPECT_EQ(runs, 0);
    step();
    EXPECT_EQ(runs, 1);
}

TEST_F(BackgroundFixture, WithoutTheBackdropTheActionRunsAtTheEndOfTheBuild)
{
    int runs = 0;
    scene().setIdleAction([&runs] { ++runs; });
    build(BackgroundScene::kPortraits);
    EXPECT_EQ(runs, 1);
    scene().setIdleAction([] { throw std::runtime_error("broken action"); });
    EXPECT_NO_THROW(scene().resetIdleAction(""));
    EXPECT_EQ(log.count("room", "background scene's idle action failed: broken action"), 1u);
}

TEST_F(BackgroundFixture, DestroyingTheSceneOrTheInstanceEndsTheReadyTimer)
{
    int runs = 0;
    scene().setIdleAction([&runs] { ++runs; });
    scene().refresh();
    scene().destroyScene();
    EXPECT_EQ(core::TimerManager::instance().pending(), 0u);
    step();
    EXPECT_EQ(runs, 0);

    scene().refresh();
    BackgroundScene::destroyInstance();
    EXPECT_EQ(core::TimerManager::instance().pending(), 0u);
    EXPECT_EQ(BackgroundScene::getSingletonPtr(), nullptr);
}

TEST_F(BackgroundFixture, AMissingSlotIsSkippedAndAFailingRenderTargetLeavesItsSceneUnset)
{
    zrk::SnapShotManager::destroyInstance();
    makeSlots({"red2", "box2"});
    scene().refresh();
    EXPECT_EQ(scene().getRedSnapShots().size(), 3u);
    EXPECT_EQ(counts.made, 9); // no render target for a slot that is not there
    EXPECT_EQ(log.count("SnapShotManager", "name dosen`t exit"), 1u);

    scene().destroyScene();
    implsWork = false;
    scene().refresh();
    auto* portrait = dynamic_cast<zrk::PlayerSnapShotScene*>(slot("player")->getScene());
    ASSERT_NE(portrait, nullptr);
    EXPECT_EQ(portrait->getGuiManager(), nullptr); // not set up
    EXPECT_TRUE(portrait->getAvatars().empty());
}

TEST_F(BackgroundFixture, TheRoomOfTheRolesOutlivesTheirRegistry)
{
    roomtest::RecordingRoom room;
    zrk::RoleManager::instance().setRoom(&room);
    scene().refresh();
    scene().destroyScene();
    EXPECT_EQ(zrk::RoleManager::instance().getRoom(), &room);
    EXPECT_EQ(zrk::RoleManager::instance().roleCount(), 0u);
}

TEST_F(BackgroundFixture, ABadDefaultLookDocumentGivesTheDefaultTimings)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("defstate.json"), "{\"MaxTimeSpan\": -4, \"FloatSpan\": 1e300}");
    roleRes.load(dir.file("defstate.json"));
    scene().refresh();
    EXPECT_EQ(zrk::RoleManager::instance().getMaxTimeSpan(), 5.0f);
    EXPECT_EQ(log.count("room", "defstate.json: FloatSpan out of range, 5 used"), 1u);
}

TEST_F(BackgroundFixture, MusicTheSceneStartsLaterFollowsTheNextVolumeChange)
{
    zrk::AudioSettingChangedCallbackEvent slider(nullptr, nullptr);
    core::DefaultAudioHelper::setVolume(0, 1.0f);
    scene().refresh(); // the music starts after the sliders' event exists
    step();
    const int music = scene().getMusicSoundId();
    ASSERT_GT(music, 0);
    EXPECT_EQ(slider.soundSources().count(static_cast<unsigned>(music)), 1u);
    EXPECT_GT(zrktest::loopbackRms(audio, 22050), 0.01);

    core::DefaultAudioHelper::setVolume(0, 0.0f);
    slider.callback(0);
    EXPECT_EQ(zrktest::loopbackRms(audio, 22050), 0.0);
    core::DefaultAudioHelper::setVolume(0, 0.5f);
    slider.callback(0);
    EXPECT_FLOAT_EQ(audio.getSoundVolume(music), 0.5f);
    EXPECT_GT(zrktest::loopbackRms(audio, 22050), 0.005);

    // Gone with the scene: the next change finds nothing to set.
    scene().destroyScene();
    EXPECT_FALSE(audio.isPlaying(music));
    EXPECT_TRUE(slider.soundSources().empty());
    slider.callback(0);
    EXPECT_EQ(zrktest::loopbackRms(audio, 22050), 0.0);
}

TEST_F(BackgroundFixture, AScreenLeftBeforeItsMusicStartedNeverStartsIt)
{
    zrk::AudioSettingChangedCallbackEvent slider(nullptr, nullptr);
    scene().refresh();
    scene().destroyScene();
    step();
    step();
    EXPECT_EQ(scene().getMusicSoundId(), -1);
    EXPECT_EQ(audio.playingCount(), 0u);
    EXPECT_TRUE(slider.soundSources().empty());

    // Built again and left again at once, then built a third time: one tune, once.
    scene().refresh();
    build(BackgroundScene::kBackdrop);
    step();
    step();
    EXPECT_EQ(audio.playingCount(), 1u);
    EXPECT_EQ(slider.soundSources().size(), 1u);
    EXPECT_EQ(slider.soundSources().count(static_cast<unsigned>(scene().getMusicSoundId())), 1u);
}
