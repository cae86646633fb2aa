// A world made by a newer game, a client of a refused version and a data folder that is not the
// player's end the run with a box of their own, in the game's words, also when the launcher
// handed over the player's credentials: nothing logs in behind the box, no other box takes its
// place, and closing it ends the run with exit code 1. A data folder that is the player's is
// his alone, with everything the game writes in it, whatever the umask.
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/NetClientManager.h>
#include <sys/stat.h>
#include <transport/TransportService.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <lan/ZRKLan.h>
#include <server/ZRKGameServer.h>
#include <yake/PlayerFiles.h>

#include "support/ForeignFile.h"
#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"
#include "NewerWorld.h"

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

struct RunEnds : zrktest::WholeGame {
    /// Plays until the box with `textKey` is open, then long enough for a log-in to have
    /// happened; checks that nothing did and the box stands in words; closes it. False when the
    /// run ended with 0.
    bool playToTheEndBox(const std::string& textKey, const std::string& programFolder = std::string())
    {
        bool seen = false;
        const bool ok = play(
            kHeroRun,
            [&](zrktest::GameRun& game) {
                const kavri3D::core::Frame* frame = game.mainFrame();
                ASSERT_NE(frame, nullptr);
                auto open = [&] { return frame->getOpenMessageBox(); };
                ASSERT_TRUE(game.framesUntil([&] { return open() && open()->textKey == textKey; }, 300, textKey));
                const std::size_t boxes = frame->getMessageBoxes().size();
                // The launcher's credentials would have logged hero in by now.
                game.frames(200);
                ASSERT_NE(open(), nullptr);
                EXPECT_EQ(open()->textKey, textKey) << "another box took its place";
                EXPECT_EQ(frame->getMessageBoxes().size(), boxes);
                EXPECT_EQ(open()->title, kavri3D::zrk::ZRKLan::getMsg("error/title1"));
                EXPECT_EQ(open()->text, kavri3D::zrk::ZRKLan::getMsg(textKey));
                EXPECT_NE(open()->text, textKey) << "the box speaks in keys";
                EXPECT_FALSE(session->isOnline());
                if (kavri3D::zrk::ZRKGameServer* server = session->getGameServer()) {
                    EXPECT_EQ(server->getAccount(), "");
                }
                EXPECT_NE(game.stateName(), "room");
                seen = true;
                ASSERT_TRUE(const_cast<kavri3D::core::Frame*>(frame)->pressMessageBoxButton(0));
                EXPECT_FALSE(game.frames(60)) << "closing the box ends the run";
            },
            programFolder);
        EXPECT_TRUE(seen);
        return ok;
    }
};

} // namespace

TEST_F(RunEnds, AWorldOfANewerGameEndsTheRunWithItsBoxThoughTheLauncherGaveTheCredentials)
{
    const std::string world = dataFile("ZRK_World.db");
    zrktest::makeNewerWorld(world);
    const std::string before = zrktest::readFile(world);
    EXPECT_FALSE(playToTheEndBox("error/srv_world_newer")); // exit code 1
    EXPECT_EQ(zrktest::readFile(world), before);
}

TEST_F(RunEnds, ARefusedVersionEndsTheRunWithItsBoxAndNothingLogsInBehindIt)
{
    zrktest::InstallationCopy install;
    zrktest::writeFile(install.program + "zrk_main.xml",
                       "<index module=\"ZRK_Main\"><!-- an older client --></index>\n");
    EXPECT_FALSE(playToTheEndBox("error/client_version", install.program)); // exit code 1
}

TEST_F(RunEnds, ADataFolderThatIsNotThePlayersIsNeitherReadNorWrittenAndEndsTheRunWithItsBox)
{
    // Another account's folder where this process may give one away, else a file in its place.
    const std::string folder = dataFile("");
    const bool givenAway = zrktest::makeForeignFolder(folder.substr(0, folder.size() - 1));
    EXPECT_FALSE(playToTheEndBox("error/data_folder_foreign"));
    if (givenAway) {
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the game wrote into another user's folder";
    }
}

TEST_F(RunEnds, AnOpenDataFolderIsClosedToOthersAndAllTheGameWritesThereIsThePlayersAlone)
{
    auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    };
    // An earlier version left the folder and its log open to others.
    std::filesystem::create_directories(dataFile(""));
    ::chmod(dataFile("").c_str(), 0755);
    zrktest::writeFile(dataFile("ZRK_Main.log"), "an older run\n");
    ::chmod(dataFile("ZRK_Main.log").c_str(), 0644);
    const mode_t umask = ::umask(0);
    std::string secret;
    const bool ok = play(kHeroRun, [&](zrktest::GameRun& game) {
        EXPECT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 600, "the area choice"));
        const std::string address = kavri3D::core::NetClientManager::getRunApplicationPath();
        secret = address.substr(address.rfind('/') + 1);
        // A download that fails writes its address into the log.
        bool landed = false;
        kavri3D::core::TransportService::instance().startTransfer(address + "/files/none", dataFile("none"),
                                                                  [&](bool, const std::string&) { landed = true; });
        EXPECT_TRUE(game.secondsUntil([&] { return landed; }, 10, "the failed download"));
        for (const char* name : {"ZRK_World.db", "ZRK_World.db-wal", "ZRK_World.db-shm", "ZRK_World.db.lock",
                                 "ZRK_Main.log", "ZRK_Main.xml"}) {
            if (std::filesystem::exists(dataFile(name))) {
                EXPECT_EQ(modeOf(dataFile(name)), 0600) << name;
            }
        }
    });
    ::umask(umask);
    EXPECT_TRUE(ok);
    EXPECT_EQ(modeOf(dataFile("")), 0700);
    EXPECT_EQ(modeOf(dataFile("ZRK_Main.xml")), 0600);
    EXPECT_EQ(modeOf(dataFile("ZRK_Main.log")), 0600);
    EXPECT_EQ(modeOf(dataFile("cache")), 0700);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataFile("cache")))
        EXPECT_EQ(modeOf(entry.path().string()), entry.is_directory() ? 0700 : 0600) << entry.path();
    // No secret in the log: the file server's word is never written, however an address was told.
    ASSERT_EQ(secret.size(), 32u);
    const std::string log = zrktest::readFile(dataFile("ZRK_Main.log"));
    EXPECT_EQ(log.find(secret), std::string::npos);
    EXPECT_NE(log.find("zrk-files.invalid/*/files/none"), std::string::npos) << "the failed download is told";
    EXPECT_EQ(log.find("hero123"), std::string::npos);
}

// The cache an older run left open to others under umask 000, with another user's file at a
// map product's name: closed again at start, the file never taken for the product, which
// comes from the file server. A cache of another user is not used at all: the run caches in a
// folder of its own, says so, and leaves nothing behind.
TEST_F(RunEnds, ACacheLeftOpenIsClosedAgainAndAnotherUsersIsNotUsed)
{
    auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    };
    const std::string hills = dataFile("cache/mapxs_hills.ss1");
    const std::string published = zrktest::readFile(zrktest::binFolder() + "/published/data/mapxs_hills.ss1");
    ASSERT_FALSE(published.empty());
    zrktest::writeFile(hills, "{\"shape\": \"sphere\"}");
    std::filesystem::create_directories(dataFile("cache/temp"));
    for (const char* folder : {"", "cache", "cache/temp"})
        ::chmod(dataFile(folder).c_str(), folder[0] ? 0777 : 0700);
    {
        zrktest::ForeignFile theirs(hills);
        EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
            EXPECT_EQ(modeOf(dataFile("cache")), 0700);
            EXPECT_EQ(modeOf(dataFile("cache/temp")), 0700);
            EXPECT_TRUE(game.secondsUntil(
                [&] { return yake::PlayerFiles::isPlayersFile(hills, false) && zrktest::readFile(hills) == published; },
                30, "the map product fetched in place of the planted one"));
        }));
    }

    freshHome();
    std::filesystem::create_directories(dataFile("cache"));
    ::chmod(dataFile("").c_str(), 0700);
    ::chmod(dataFile("cache").c_str(), 0777);
    std::string scratch;
    {
        zrktest::ForeignFile theirs(dataFile("cache"));
        EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
            scratch = kavri3D::core::BlackBoard::getSingleton().getString("kavri3D/cachedPath", "");
            EXPECT_EQ(scratch.compare(0, 15, "/tmp/zrk-cache-"), 0) << scratch;
            EXPECT_TRUE(game.secondsUntil([&] { return std::filesystem::exists(scratch + "mapxs_hills.ss1"); }, 30,
                                          "the map product fetched into the run's own cache"));
        }));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dataFile("cache"))) << "the game wrote into another user's cache";
    EXPECT_EQ(modeOf(dataFile("cache")), 0777);
    EXPECT_FALSE(std::filesystem::exists(scratch)) << "the run's own cache stays behind";
    EXPECT_NE(zrktest::readFile(dataFile("ZRK_Main.log")).find("the cache is not used"), std::string::npos);
}
