#include <filesystem>
#include <memory>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <yake/Configuration.h>
#include <yake/Logger.h>
#include <win32/Windows.h>

#include "support/ForeignFile.h"
#include "support/GameModule.h"
#include "support/TestEnv.h"
#include "NewerWorld.h"

namespace {

// The real module, loaded the way the launcher loads it.
struct ModuleFixture : ::testing::Test {
    zrktest::GameHome home;
    std::unique_ptr<zrktest::GameModule> module;
    zrktest::GameModule::Entry entry = nullptr;

    void SetUp() override
    {
        module.reset(new zrktest::GameModule);
        ASSERT_TRUE(module->loaded()) << module->error();
        entry = module->entry();
    }
    void TearDown() override { module.reset(); }
    /// A file of the data folder (XDG_DATA_HOME).
    std::string dataFile(const std::string& name) const { return home.dataPath() + "/" + name; }
    std::string settingsFile() const { return dataFile("kavri3D/ZRK_Main.xml"); }
};

const wchar_t* kShortRun = L"game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=3";

} // namespace

TEST_F(ModuleFixture, SecondInstanceIsRefusedWhileTheLockIsHeld)
{
    HANDLE held = CreateMutexW(nullptr, TRUE, L"ZRK_Main");
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    // The running game's log, long enough that a start of a run would move it aside.
    const std::string log = dataFile("kavri3D/ZRK_Main.log");
    zrktest::writeFile(log, std::string(yake::logging::logger::kMostAtStart + 1, 'x'));
    EXPECT_EQ(entry(0, nullptr, kShortRun), -2);
    EXPECT_FALSE(std::ifstream(settingsFile()).good()); // a refused run writes no settings
    // Said in the game's log, where the player (or support) looks, not only on stderr; the
    // log stays where the running game writes it.
    EXPECT_NE(zrktest::readFile(log).find("the game is already running"), std::string::npos);
    EXPECT_GT(std::filesystem::file_size(log), yake::logging::logger::kMostAtStart);
    EXPECT_FALSE(std::filesystem::exists(log + ".old"));
    CloseHandle(held);
}

// The lock lives in the data folder: one that is not the player's gives none, and the run
// still says why in its box (and ends with 1), writing nothing there, not even at its exit.
TEST_F(ModuleFixture, ADataFolderNotThePlayersGetsItsBoxWithTheLockOnAndNothingIsWrittenThere)
{
    const std::string folder = dataFile("kavri3D");
    const bool givenAway = zrktest::makeForeignFolder(folder);
    const std::string said = dataFile("stderr.txt");
    int code = 0;
    {
        zrktest::StderrCapture capture(said);
        code = entry(0, nullptr, kShortRun);
    }
    EXPECT_EQ(code, 1);
    const std::string lines = zrktest::readFile(said);
    EXPECT_NE(lines.find("error/data_folder_foreign"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("single-instance lock"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("user settings not written"), std::string::npos) << lines;
    if (givenAway) {
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the game wrote into another user's folder";
    } else {
        EXPECT_EQ(zrktest::readFile(folder), "no folder");
    }
}

TEST_F(ModuleFixture, MutexZeroRunsBesideAHeldLockAndWritesSettings)
{
    HANDLE held = CreateMutexW(nullptr, TRUE, L"ZRK_Main");
    std::wstring cmd = std::wstring(kShortRun) + L" /mutex=0";
    int code = entry(0, nullptr, cmd.c_str());
    CloseHandle(held);
    EXPECT_NE(code, -2);
    yake::Configuration written;
    ASSERT_NO_THROW(written.readFromXML(settingsFile(), ""));
    EXPECT_EQ(written.get("kavri3D/app/msg/muc", ""), "conference");
}

TEST_F(ModuleFixture, UncreatableLockGivesMinusOne)
{
    std::filesystem::create_directories(dataFile("kavri3D/ZRK_Main.lock"));
    EXPECT_EQ(entry(0, nullptr, kShortRun), -1);
}

// What the player leaves at the end of one run is what the next run starts with: the shipped
// server list gives the settings their host, so the user file is taken at the next start.
TEST_F(ModuleFixture, RememberedNameAndChangedVolumeComeBackAtTheNextRun)
{
    ASSERT_EQ(entry(0, nullptr,
                    L"game.exe zrk://play?ln=hero&lp=hero123 /LowIntegrity=1 /headless=1 /unpaced=1 "
                    L"/quitAfterFrames=120 /mutex=0"),
              0);
    yake::Configuration first;
    ASSERT_NO_THROW(first.readFromXML(settingsFile(), ""));
    EXPECT_EQ(first.get("kavri3D/app/net/Name", ""), "Embedded");
    EXPECT_EQ(first.get("kavri3D/app/player/name", ""), "hero");

    // The player turns the sound down between the runs; the next one logs in by hand.
    first.set("kavri3D/app/audio/volume", "80 40 -30");
    first.writeToXML(settingsFile(), "");
    ASSERT_EQ(entry(0, nullptr, L"game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=10 /mutex=0"), 0);

    // Written back by the second run from what it started with: the name the log-in screen
    // shows, and the volumes the sound was played at.
    yake::Configuration second;
    ASSERT_NO_THROW(second.readFromXML(settingsFile(), ""));
    EXPECT_EQ(second.get("kavri3D/app/player/name", ""), "hero");
    EXPECT_EQ(second.get("kavri3D/app/player/lock", ""), "true");
    EXPECT_EQ(second.get("kavri3D/app/audio/volume", ""), "80 40 -30");
    EXPECT_FALSE(std::ifstream(settingsFile() + ".bad").good());
}

// A user file some forty thousand levels deep crashed every start until it was removed; now
// the run goes on with the defaults and the file is kept aside.
TEST_F(ModuleFixture, DeepUserFileIsRefusedAndKeptAside)
{
    std::string deep = "<kavri3D><app>";
    for (int i = 0; i < 40000; ++i)
        deep += "<a>";
    zrktest::writeFile(settingsFile(), deep);
    EXPECT_EQ(entry(0, nullptr, kShortRun), 0);
    EXPECT_EQ(zrktest::readFile(settingsFile() + ".bad"), deep);
    yake::Configuration written;
    ASSERT_NO_THROW(written.readFromXML(settingsFile(), ""));
    EXPECT_EQ(written.get("kavri3D/app/msg/muc", ""), "conference");
}

// A newer game's world: the player is told, the run ends with 1, and the world, its log and
// its index are exactly as they were (an older game once set it aside and seeded afresh).
TEST_F(ModuleFixture, AWorldOfANewerGameEndsTheRunWithOneAndIsLeftAsItIs)
{
    const std::string world = dataFile("kavri3D/ZRK_World.db");
    zrktest::makeNewerWorld(world);
    const std::string before = zrktest::readFile(world);
    for (const wchar_t* run :
         {kShortRun, L"game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=3 /serverReset=1"}) {
        EXPECT_EQ(entry(0, nullptr, run), 1);
        EXPECT_EQ(zrktest::readFile(world), before);
        EXPECT_FALSE(std::filesystem::exists(world + "-wal"));
        EXPECT_FALSE(std::filesystem::exists(world + "-shm"));
        EXPECT_FALSE(std::filesystem::exists(world + ".broken"));
    }
    EXPECT_NE(zrktest::readFile(dataFile("kavri3D/ZRK_Main.log")).find("error/srv_world_newer"), std::string::npos);
}
