#include <filesystem>
#include <gtest/gtest.h>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <win32/Windows.h>
#include <yake/Logger.h>

#include "rooms/BackgroundScene.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "services/GameServices.h"
#include "support/GameRun.h"
#include "support/WholeGame.h"
#include "support/TestEnv.h"
#include <yake/Configuration.h>

using namespace kavri3D;
using zrk::Application;

TEST(ApplicationAccessors, OutsideTheRunGiveNullAndExitStillPostsQuit)
{
    win32ClearMessages();
    EXPECT_EQ(Application::instance(), nullptr);
    EXPECT_EQ(Application::mainFrame(), nullptr);
    EXPECT_EQ(Application::session(), nullptr);
    EXPECT_EQ(Application::stateMachine(), nullptr);
    EXPECT_EQ(Application::currentState(), nullptr);
    EXPECT_EQ(Application::currentStateIf("room"), nullptr);
    EXPECT_EQ(Application::manifest(), nullptr);
    EXPECT_EQ(Application::agent(), nullptr);
    Application::backToLogon();
    Application::flashWindow();
    Application::tickPrefetch();
    Application::exitGame();
    EXPECT_TRUE(win32QuitPosted());
    win32ClearMessages();
    EXPECT_FALSE(Application::fileExists("/no/such/file"));
    EXPECT_FALSE(Application::fileExists(std::string("bad\0path", 8)));
}

TEST(ApplicationAccessors, CurrentStateIfMatchesTheNameExactly)
{
    core::Engine engine;
    auto* m = engine.getClientStateMachine();
    m->addState("playerhall", core::ClientStatePtr(new core::ClientState));
    m->changeState("playerhall");
    m->applyPending();
    EXPECT_EQ(Application::stateMachine(), m);
    EXPECT_NE(Application::currentState(), nullptr);
    EXPECT_EQ(Application::currentStateIf("room"), nullptr);
    EXPECT_EQ(Application::currentStateIf("playerhall"), Application::currentState());
}

namespace {
struct VolumeFixture : ::testing::Test {
    zrktest::TempDir dir;
    core::BlackBoard board;
    Application app{nullptr, "game.exe"};
    VolumeFixture()
    {
        board.setString("kavri3D/runPath", dir.path() + "/");
        zrk::appModule().loadConfig();
    }
    ~VolumeFixture() override { zrk::appModule().Term(); }
    std::string saved() { return zrk::appModule().getAppConfig()->getStringVal("audio/volume", ""); }
};
} // namespace

TEST_F(VolumeFixture, SaveVolumesRoundsChannelsHalfUpOnTheMagnitudeAndTruncatesTheMaster)
{
    core::Engine engine;
    engine.getAudioManager()->setVolume(0.999f);
    core::DefaultAudioHelper::setVolume(0, 0.125f);
    core::DefaultAudioHelper::setVolume(1, -0.125f);
    app.saveVolumes();
    EXPECT_EQ(saved(), "99 13 -13");
}

TEST_F(VolumeFixture, SaveVolumesWithoutEngineOrAudioWritesNothing)
{
    app.saveVolumes();
    EXPECT_EQ(saved(), "");
    core::Engine engine;
    engine.releaseAudioManager();
    app.saveVolumes();
    EXPECT_EQ(saved(), "");
}

TEST_F(VolumeFixture, InstallerUrlFollowsTheApplicationPath)
{
    core::Engine engine; // brings the net client manager
    board.setString("kavri3D/app/net/AppPath", "http://files.example");
    EXPECT_EQ(Application::getInstallerUrl(), "http://files.example/files/installer/latest");
    board.setString("kavri3D/app/net/Installer", "/files/installer/v2");
    EXPECT_EQ(Application::getInstallerUrl(), "http://files.example/files/installer/v2");
}

TEST(ApplicationArguments, PrefixIsCaseInsensitiveAndEmbeddedNeedsAValue)
{
    Application a(nullptr, "game.exe /embeded=1 /LowIntegrity=true");
    EXPECT_EQ(a.getArgument("Embeded"), "1");
    EXPECT_TRUE(a.isEmbedded());
    EXPECT_TRUE(a.getLowIntegrityFolder().empty()); // only exactly "1" counts
    Application b(nullptr, "game.exe /Embeded=");
    EXPECT_FALSE(b.isEmbedded());
    EXPECT_EQ(b.getArgument("Missing"), "");
}

TEST(ApplicationArguments, LowIntegrityOnePutsTheFoldersUnderTheUserDataFolder)
{
    zrktest::TempDir dir;
    zrktest::ScopedEnv env("XDG_DATA_HOME", dir.path());
    Application a(nullptr, "game.exe /LowIntegrity=1");
    ASSERT_FALSE(a.getLowIntegrityFolder().empty());
    auto bb = a.onCreateBlackBoardImpl();
    EXPECT_EQ(bb->getString("kavri3D/runPath"), dir.path() + "/kavri3D/");
    EXPECT_EQ(bb->getString("kavri3D/sharedPath"), dir.path() + "/kavri3D/");
    EXPECT_EQ(a.onPrepareLogPath(), dir.path() + "/kavri3D/");
    EXPECT_TRUE(zrk::Application::fileExists(dir.path() + "/kavri3D"));
}

TEST(GameWindowHandle, TitleAndFlashReachOnlyALiveWindow)
{
    core::BlackBoard bb;
    Application app(nullptr, "game.exe");
    HWND window = createWindowRecord();
    bb.setString("kavri3D/win32RenderWindow", std::to_string(reinterpret_cast<std::intptr_t>(window)));
    bb.setString("kavri3D/version/product", "1.0.2");
    app.updateWindowTitle(L"");
    // No text library: the key stands in for the title, directly followed by the product.
    EXPECT_EQ(window->title, L"msg/app_title(1.0.2)");
    app.updateWindowTitle(L"hall");
    EXPECT_EQ(window->title, L"msg/app_title hall(1.0.2)");

    SetFocus(nullptr);
    const int before = win32FlashCount();
    Application::flashWindow();
    EXPECT_EQ(win32FlashCount(), before + 1);
    SetFocus(window);
    Application::flashWindow(); // the player is looking at it already
    EXPECT_EQ(win32FlashCount(), before + 1);

    destroyWindowRecord(window);
    bb.setString("kavri3D/win32RenderWindow", "12345"); // not a window: nothing is touched
    app.updateWindowTitle(L"");
    Application::flashWindow();
    EXPECT_EQ(win32FlashCount(), before + 1);
}

TEST(BackgroundPrefetch, StepsAtMostOnceInAnyThreeTenthsOfASecond)
{
    Application app(nullptr, "game.exe");
    const double t = 100.0; // seconds of game time, as the clock gives them
    EXPECT_TRUE(app.prefetchStepDue(t));
    EXPECT_FALSE(app.prefetchStepDue(t + 0.3)); // exactly 0.3 s later: not yet
    EXPECT_TRUE(app.prefetchStepDue(t + 0.31));
    EXPECT_FALSE(app.prefetchStepDue(t + 0.5));
    EXPECT_TRUE(app.prefetchStepDue(t + 0.62));
    // A new run paces afresh: its first call always steps.
    Application next(nullptr, "game.exe");
    EXPECT_TRUE(next.prefetchStepDue(t + 0.63));
}

TEST(CacheCleanUp, EmptiesTempAndLibraryAndSkipsAPatternTooLongForTheShell)
{
    zrktest::TempDir dir;
    const std::string cache = dir.path() + "/";
    for (const char* f : {"temp/a.bin", "temp/sub/b.bin", "library/c.ss1", "keep/d.txt"})
        zrktest::writeFile(dir.file(f), "x");
    Application::cleanCache(cache);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("temp")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("library")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("keep/d.txt")));

    // A cache path so long that "temp/*.*" would be cut to a bare folder name: nothing goes.
    auto& log = yake::logging::logger::instance();
    log.enableAllSeverities();
    log.startCapture();
    std::string deep = dir.path() + "/";
    while (deep.size() < 254)
        deep += "d";
    deep += "/";
    zrktest::writeFile(deep + "temp/e.bin", "x");
    zrktest::writeFile(deep + "library/f.bin", "x");
    Application::cleanCache(deep);
    EXPECT_TRUE(std::filesystem::exists(deep + "temp/e.bin"));
    EXPECT_TRUE(std::filesystem::exists(deep + "library/f.bin"));
    std::size_t skipped = 0;
    for (const auto& line : log.captured())
        skipped += line.channel == "ZRKMain" && line.text.rfind("cache not cleaned: the pattern is too long", 0) == 0;
    EXPECT_EQ(skipped, 2u);
    log.stopCapture();
    Application::cleanCache(""); // no cache path: nothing to do

    // A cache folder or one of its two folders planted as a link to the player's own files: the
    // link goes, nothing it points to.
    zrktest::writeFile(dir.file("precious/a.txt"), "a");
    zrktest::writeFile(dir.file("precious/temp/b.txt"), "b");
    std::filesystem::create_directory_symlink(dir.file("precious"), dir.file("linked"));
    Application::cleanCache(dir.file("linked") + "/");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("linked"))));
    std::filesystem::create_directories(dir.file("cache2"));
    std::filesystem::create_directory_symlink(dir.file("precious"), dir.file("cache2/library"));
    Application::cleanCache(dir.file("cache2") + "/");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("cache2/library"))));
    EXPECT_EQ(zrktest::readFile(dir.file("precious/a.txt")), "a");
    EXPECT_EQ(zrktest::readFile(dir.file("precious/temp/b.txt")), "b");
}

TEST(ApplicationShutDown, DestroysABackgroundSceneBuiltOrNotAndMakesNone)
{
    Application app(nullptr, "game.exe");
    app.onPreShutdown();
    EXPECT_EQ(zrk::BackgroundScene::getSingletonPtr(), nullptr); // none was made to be destroyed

    zrk::BackgroundScene::instance(); // made, never built
    app.onPreShutdown();
    EXPECT_EQ(zrk::BackgroundScene::getSingletonPtr(), nullptr);
}

/// The game as the player runs it, its settings in a data folder of its own.
struct UserSettings : zrktest::WholeGame {};

// The Red Canyon abort lost a run's volume changes: what the player changes is on disk at
// once, written whole as at the exit, not only when the run ends well.
TEST_F(UserSettings, TheRememberedNameAndAChangedVolumeAreOnDiskBeforeTheRunEnds)
{
    const std::string file = dataFile("ZRK_Main.xml");
    auto onDisk = [&](const char* key) {
        yake::Configuration c;
        try {
            c.readFromXML(file, "");
        } catch (const std::exception&) {
            return std::string("<unreadable>");
        }
        return c.get(key, "<none>");
    };
    std::string name, volume;
    const bool ok = play(zrktest::loggedInRun("hero", true), [&](zrktest::GameRun& game) {
        game.framesUntil([&] { return onDisk("kavri3D/app/player/name") == "hero"; }, 600);
        name = onDisk("kavri3D/app/player/name");
        // The music slider moved: its callback hands the volumes to the settings.
        core::DefaultAudioHelper::setVolume(0, 0.25f);
        zrk::GameServices::hooks().saveVolumes();
        volume = onDisk("kavri3D/app/audio/volume");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(name, "hero");
    EXPECT_EQ(volume.substr(volume.find(' ') + 1, 2), "25");
}
