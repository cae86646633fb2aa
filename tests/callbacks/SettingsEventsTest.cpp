// The volume sliders' event and its register of the scenes' music, the web view's placement
// requests without a view, and the tile screen's raise.
#include "EventsFixture.h"

#include <core/AudioManager.h>
#include <fstream>
#include <limits>

#include "callbacks/AudioSettingChangedCallbackEvent.h"
#include "callbacks/EvtTileConfigCallback.h"
#include "callbacks/EvthtmlViewCallback.h"
#include "services/GameServices.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct SettingsFixture : zrktest::EventsFixture {
    std::string music = zrktest::binFolder() + "/music_bg0.mp3";
    core::AudioManager& audio() { return *core::AudioManager::getSingletonPtr(); }
};

} // namespace

TEST_F(SettingsFixture, TheRegisterIgnoresTheAllOnesIdAndKeepsOneEntryPerSound)
{
    auto event = std::make_unique<AudioSettingChangedCallbackEvent>(page, dispatcher);
    EXPECT_EQ(getAudioSettingEvent(), event.get());
    event->addSoundSource(4294967295u);
    EXPECT_TRUE(event->soundSources().empty());
    event->addSoundSource(5);
    event->addSoundSource(5);
    EXPECT_EQ(event->soundSources().size(), 1u);
    event->removeSoundSource(5);
    event->removeSoundSource(6);
    EXPECT_TRUE(event->soundSources().empty());
    // A scene's music that did not start (-1) is not followed.
    GameServices::followSound(-1, true);
    GameServices::followSound(7, true);
    EXPECT_EQ(event->soundSources().size(), 1u);
    GameServices::followSound(7, false);
    EXPECT_TRUE(event->soundSources().empty());
    event.reset();
    EXPECT_EQ(getAudioSettingEvent(), nullptr);
    GameServices::followSound(7, true); // nobody listens: nothing happens
}

TEST_F(SettingsFixture, AChangeSetsTheLiveSoundsAndDropsTheGoneOnes)
{
    ASSERT_NE(core::AudioManager::getSingletonPtr(), nullptr);
    AudioSettingChangedCallbackEvent event(page, dispatcher);
    const int a = audio().playSound(music, 6, 1.0f);
    const int b = audio().playSound(music, 6, 1.0f);
    const int c = audio().playSound(music, 6, 1.0f);
    for (int id : {a, b, c})
        event.addSoundSource(static_cast<unsigned>(id));
    audio().destroySound(b);
    core::DefaultAudioHelper::setVolume(0, 0.25f);
    act(event);
    EXPECT_FLOAT_EQ(audio().getSoundVolume(a), 0.25f);
    EXPECT_FLOAT_EQ(audio().getSoundVolume(c), 0.25f);
    EXPECT_EQ(event.soundSources().size(), 2u);
    EXPECT_EQ(event.soundSources().count(static_cast<unsigned>(b)), 0u);
    for (float bad : {-1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        core::DefaultAudioHelper::setVolume(0, bad);
        act(event);
        EXPECT_FLOAT_EQ(audio().getSoundVolume(a), 0.0f) << bad;
    }
    EXPECT_FALSE(core::DefaultAudioHelper::getSoundSource(b));
    EXPECT_FALSE(core::DefaultAudioHelper::getSoundSource(-1));
    EXPECT_TRUE(event.fillParams()->empty());
    audio().destroySound(a);
    audio().destroySound(c);
}

TEST_F(SettingsFixture, TheVolumesAreSavedThroughTheRunningApplicationOnly)
{
    AudioSettingChangedCallbackEvent event(page, dispatcher);
    int saves = 0;
    GameServices::hooks().saveVolumes = [&] { ++saves; };
    act(event);
    EXPECT_EQ(saves, 1);
    GameServices::hooks().saveVolumes = nullptr;
    act(event);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(
        log.countCaptured("AudioSettingChangedCallbackEvent", "no running application: the volumes are not saved"), 1u);
}

TEST_F(SettingsFixture, TheWebViewNeedsBothValuesAndTheTileScreenIsRaised)
{
    EvthtmlViewCallback web(page, dispatcher);
    setParam("url", std::string("about:blank"));
    act(web); // no "window": nothing, not even a navigation
    EXPECT_EQ(log.countCaptured("EvthtmlViewCallback", "no web view to place"), 0u);
    setParam("window", 3);
    act(web); // no display for a view here: one line, nothing placed
    EXPECT_EQ(log.countCaptured("EvthtmlViewCallback", "no web view to place"), 1u);
    setParam("window", 2);
    act(web);
    EXPECT_EQ(log.countCaptured("EvthtmlViewCallback", "no web view to place"), 1u);
    setParam("url", std::string(100000, 'a'));
    setParam("window", -1);
    act(web);
    EXPECT_TRUE(web.fillParams()->empty());

    EvtTileConfigCallback tiles(page, dispatcher);
    act(tiles);
    EXPECT_EQ(count(control->raisedIds(), 134), 1u);
}
