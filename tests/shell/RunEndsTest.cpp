// A world made by a newer game and a client of a refused version end the run with a box of
// their own, in the game's words, also when the launcher handed over the player's credentials:
// nothing logs in behind the box, no other box takes its place, and closing it ends the run
// with exit code 1.
#include <core/Frame.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <lan/ZRKLan.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKWorld.h>

#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

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
    std::filesystem::create_directories(dataFile(""));
    {
        kavri3D::zrk::ZRKWorld made;
        ASSERT_TRUE(made.open(world, zrktest::binFolder() + "/res/server", false));
        ASSERT_TRUE(made.db().exec("UPDATE meta SET value = '" +
                                   std::to_string(kavri3D::zrk::ZRKWorld::kSchemaVersion + 1) +
                                   "' WHERE key = 'schema'"));
    }
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
