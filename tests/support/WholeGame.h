#pragma once
// The whole game in the test's process, as the player starts it: a runtime and data folder of
// its own, the game started with the test's command line and played against its embedded
// server. GameOnScreen adds the window and the player's input into it.
#include <data/ZRKSession.h>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>

#include "support/GameRun.h"
#include "support/TestEnv.h"

namespace zrktest {

/// The command line of a run that logs `account` in by the launcher's link (the test world's
/// passwords are the name and "123"); `headless` runs it without a window.
inline std::string loggedInRun(const std::string& account, bool headless = false)
{
    return "game.exe zrk://play?ln=" + account + "&lp=" + account + "123&ls=1 /LowIntegrity=1" +
           (headless ? " /headless=1" : "") + " /unpaced=1 /mutex=0";
}
/// The command line of a run that stops at the log-in screen.
inline std::string loginScreenRun() { return "game.exe /LowIntegrity=1 /unpaced=1 /mutex=0"; }

/// A test of the whole game. Its body runs inside the game's frame loop with `session`
/// standing; each test keeps its own assertions.
class WholeGame : public ::testing::Test {
protected:
    typedef std::function<void(GameRun&)> Body;

    /// Runs the game with the command line, the body once the game stands (see standing()).
    /// True when the game started, ran the body and shut down. `programFolder` (ending in
    /// "/"): an installation to run from instead of the build's.
    bool play(const std::string& commandLine, const Body& body, const std::string& programFolder = std::string())
    {
        return GameRun::run(
            commandLine,
            [&](GameRun& game) {
                attach(game);
                standing(game, body);
                detach();
            },
            programFolder);
    }
    /// Where the game keeps its settings and world.
    std::string dataFile(const std::string& name) const { return mHome->dataPath() + "/kavri3D/" + name; }
    /// A new runtime and data folder for the next run, as on a machine the game never ran on
    /// (the last run's saved window and settings gone).
    void freshHome()
    {
        mHome.reset(); // the old folders' variables go back before the new ones are set
        mHome.reset(new GameHome);
    }

    /// The game's session with its embedded server, while the body runs.
    kavri3D::zrk::ZRKSession* session = nullptr;

protected:
    virtual void attach(GameRun& game) { session = dynamic_cast<kavri3D::zrk::ZRKSession*>(game.session()); }
    virtual void detach() { session = nullptr; }
    /// Checks what every body leans on, then runs it.
    virtual void standing(GameRun& game, const Body& body)
    {
        ASSERT_NE(session, nullptr) << "the game plays against no embedded server";
        body(game);
    }

private:
    std::unique_ptr<GameHome> mHome{new GameHome};
};

} // namespace zrktest
