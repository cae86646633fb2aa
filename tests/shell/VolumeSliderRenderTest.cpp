// The volume sliders in the real game window: at the log-in screen the player drags the Music
// slider's thumb to a quarter of its track; the music channel, the playing music and the saved
// settings follow. Logged in, he drags the Sound slider on the area page to the left end, then
// opens the tile screen, empty (shots/volume.png, shots/tiles.png). The next start's log-in
// screen shows the saved levels.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <cmath>
#include <core/AudioManager.h>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>
#include <sstream>

#include "callbacks/AudioSettingChangedCallbackEvent.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

CEGUI::Vector2f middle(CEGUI::Window* w)
{
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    return CEGUI::Vector2f(r.left() + r.getWidth() / 2, r.top() + r.getHeight() / 2);
}

/// Drags the fader's thumb to the point of its track at `share` (0 at the bottom, 1 at the top).
void dragThumb(zrktest::XWindowInput& input, CEGUI::Window* slider, float share)
{
    CEGUI::Window* thumb = static_cast<CEGUI::Slider*>(slider)->getThumb();
    const CEGUI::Rectf track = slider->getUnclippedOuterRect().get();
    const float half = thumb->getUnclippedOuterRect().get().getHeight() / 2;
    const CEGUI::Vector2f from = middle(thumb);
    const float to = track.top() + half + (track.getHeight() - 2 * half) * (1 - share);
    input.drag(static_cast<int>(from.d_x), static_cast<int>(from.d_y), static_cast<int>(from.d_x),
               static_cast<int>(to));
}

float sliderValue(CEGUI::Window* slider) { return static_cast<CEGUI::Slider*>(slider)->getCurrentValue(); }

std::string savedVolumes() { return kavri3D::zrk::appModule().getAppConfig()->getStringVal("audio/volume", ""); }

int percent(float v) { return static_cast<int>(std::fabs(v) * 100.0f + 0.5f); }

} // namespace

using VolumeSlidersOnScreen = zrktest::GameOnScreen;

TEST_F(VolumeSlidersOnScreen, TheMouseSetsTheMusicAndSoundChannelsAndTheSavedVolumes)
{
    float musicSlider = -1, music = -1, soundSlider = -1, sound = -1;
    std::string savedAfterMusic, savedAfterSound;
    std::vector<float> musicPlaying;
    bool tilesShown = false, shot = false;
    std::size_t tiles = 99;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 60));
        game.frames(3);
        CEGUI::Window* login = shownPage("LoginPage");
        dragThumb(input, login->getChild("Music"), 0.25f);
        game.frames(3);
        musicSlider = sliderValue(login->getChild("Music"));
        music = kavri3D::core::DefaultAudioHelper::getVolume(0);
        savedAfterMusic = savedVolumes();
        // The log-in screen's music follows the channel.
        if (kavri3D::zrk::AudioSettingChangedCallbackEvent* audio = kavri3D::zrk::getAudioSettingEvent())
            for (const auto& id : audio->soundSources())
                if (auto source = kavri3D::core::DefaultAudioHelper::getSoundSource(id.first))
                    musicPlaying.push_back(source->getVolume());

        clickOn(input, login->getChild("Name"));
        input.type("hero");
        clickOn(input, login->getChild("Password"));
        input.type("hero123");
        clickOn(input, login->getChild("LogIn"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300));
        game.frames(3);
        CEGUI::Window* area = shownPage("AreaPage");
        // The area's slider shows the volume set at the log-in screen.
        EXPECT_NEAR(sliderValue(area->getChild("Music")), musicSlider, 1e-4f);
        dragThumb(input, area->getChild("Sound"), 0.0f);
        game.frames(3);
        soundSlider = sliderValue(area->getChild("Sound"));
        sound = kavri3D::core::DefaultAudioHelper::getVolume(1);
        savedAfterSound = savedVolumes();

        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/volume.png");

        clickOn(input, area->getChild("Tiles"));
        game.frames(4);
        CEGUI::Window* screen = area->getChild("TileScreen");
        tilesShown = screen->isEffectiveVisible();
        tiles = static_cast<CEGUI::Listbox*>(screen->getChild("TileList"))->getItemCount();
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/tiles.png") && shot;
        clickOn(input, screen->getChild("TileClose"));
        game.frames(2);
        EXPECT_FALSE(screen->isEffectiveVisible());
    });
    EXPECT_TRUE(ok);
    // The thumb stops where the mouse let it go (to a step of the track's pixels).
    EXPECT_NEAR(musicSlider, 0.25f, 0.05f);
    EXPECT_FLOAT_EQ(music, musicSlider);
    ASSERT_FALSE(musicPlaying.empty()) << "the log-in screen's music is followed";
    for (float v : musicPlaying)
        EXPECT_FLOAT_EQ(v, musicSlider);
    std::istringstream first(savedAfterMusic);
    int master = -1, savedMusic = -1;
    first >> master >> savedMusic;
    EXPECT_EQ(savedMusic, percent(musicSlider)) << savedAfterMusic;
    EXPECT_FLOAT_EQ(soundSlider, 0.0f);
    EXPECT_FLOAT_EQ(sound, 0.0f);
    std::istringstream second(savedAfterSound);
    int savedSound = -1;
    second >> master >> savedMusic >> savedSound;
    EXPECT_EQ(savedMusic, percent(musicSlider)) << savedAfterSound;
    EXPECT_EQ(savedSound, 0) << savedAfterSound;
    EXPECT_TRUE(tilesShown);
    EXPECT_EQ(tiles, 0u);
    EXPECT_TRUE(shot);

    // The next start's log-in screen shows the levels saved, not full volume.
    float musicShown = -1, soundShown = -1;
    EXPECT_TRUE(play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 60));
        game.frames(3);
        musicShown = sliderValue(shownPage("LoginPage")->getChild("Music"));
        soundShown = sliderValue(shownPage("LoginPage")->getChild("Sound"));
    }));
    EXPECT_NEAR(musicShown, percent(musicSlider) / 100.0f, 1e-4f);
    EXPECT_FLOAT_EQ(soundShown, 0.0f);
}
