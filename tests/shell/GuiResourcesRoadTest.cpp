// The whole game, headless, run from a copy of the installation: GUI files that went missing
// come back from the built-in file server before the lobby, files the version no longer has
// go, and a client whose own index is not this version's ends at once.
#include <data/ZRKServer.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <yake/Logger.h>

#include "shell/MainFrame.h"
#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

/// The build's installation, linked into a folder of the test's own (InstallationCopy), the
/// log captured.
struct InstalledRun : zrktest::WholeGame, zrktest::InstallationCopy {
    yake::logging::logger& log = yake::logging::logger::instance();

    InstalledRun()
    {
        log.enableAllSeverities();
        log.startCapture();
    }
    ~InstalledRun() override { log.stopCapture(); }
};

} // namespace

TEST_F(InstalledRun, AMissingGuiFileComesBackAnExtraOneGoesAndHeroReachesTheAreaChoice)
{
    fs::remove(program + "res/GUIX1/GUIX1.png");
    zrktest::writeFile(program + "res/GUIX1/stray.png", "not of this version");
    std::string state;
    bool lobby = false;
    int guiReady = 0;
    EXPECT_TRUE(play(
        kHeroRun,
        [&](zrktest::GameRun& game) {
            // The file comes over a real connection: frames are counted in time, not in number.
            game.secondsUntil([&] { return game.stateName() == "room"; }, 60, "the area choice");
            state = game.stateName();
            auto* frame = dynamic_cast<kavri3D::zrk::MainFrame*>(game.mainFrame());
            lobby = frame && frame->lobbyPanelsCreated();
            if (kavri3D::zrk::ZRKServer* server = kavri3D::zrk::getZRKServer())
                guiReady = server->getGuiReadyCount();
        },
        program));
    EXPECT_EQ(state, "room");
    EXPECT_TRUE(lobby);
    EXPECT_GE(guiReady, 1);
    ASSERT_TRUE(fs::exists(program + "res/GUIX1/GUIX1.png"));
    EXPECT_EQ(zrktest::readFile(program + "res/GUIX1/GUIX1.png"), zrktest::readFile(bin + "res/GUIX1/GUIX1.png"));
    EXPECT_FALSE(fs::exists(program + "res/GUIX1/stray.png"));
    EXPECT_FALSE(fs::exists(program + "res/GUIX1/GUIX1.png.part"));
    EXPECT_EQ(log.countCaptured("resx", "invalid client version."), 0u);
    // The file server's address was the run's only, never a setting.
    EXPECT_EQ(zrktest::readFile(dataFile("ZRK_Main.xml")).find("zrk-files.invalid"), std::string::npos);
}

TEST_F(InstalledRun, AClientWhoseIndexIsNotThisVersionIsToldSoAndTheRunEndsWithOne)
{
    zrktest::writeFile(program + "zrk_main.xml", "<index module=\"ZRK_Main\"><!-- an older client --></index>\n");
    bool told = false;
    const bool ok = play(
        kHeroRun,
        [&](zrktest::GameRun& game) {
            told = game.framesUntil(
                [&] {
                    const kavri3D::core::Frame* frame = game.mainFrame();
                    const auto* box = frame ? frame->getOpenMessageBox() : nullptr;
                    return box && box->textKey == "error/client_version";
                },
                200);
        },
        program);
    EXPECT_TRUE(told);
    EXPECT_FALSE(ok); // GameEntry's exit code 1
    EXPECT_EQ(log.countCaptured("resx", "invalid client version."), 1u);
}
