// The launcher as the player starts it, in a locale that knows no UTF-8.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <yake/Configuration.h>

#include "support/TestEnv.h"

namespace {

/// Runs the launcher with the log-in name `name` in the C locale; gives the exit code and
/// the remembered name of the settings it wrote.
std::pair<int, std::string> launchWithName(const std::string& name)
{
    zrktest::TempDir runtime, data;
    const std::string command = "env LC_ALL=C LANG=C XDG_RUNTIME_DIR=" + runtime.path() +
                                " XDG_DATA_HOME=" + data.path() + " " + zrktest::binFolder() +
                                "/zrk_launcher 'zrk://play?ln=" + name +
                                "&lp=nothing' /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=40"
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    yake::Configuration written;
    try {
        written.readFromXML(data.path() + "/kavri3D/ZRK_Main.xml", "");
    } catch (const std::exception&) {
        return {-1, ""};
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, written.get("kavri3D/app/player/name", "<none>")};
}

} // namespace

TEST(Launcher, ANonAsciiNameArrivesWholeWhateverTheLocale)
{
    const auto run = launchWithName("J\xC3\xBCrgen\xE2\x82\xAC");
    EXPECT_EQ(run.first, 0);
    EXPECT_EQ(run.second, "J\xC3\xBCrgen\xE2\x82\xAC"); // remembered as typed, though the log-in failed
}

TEST(Launcher, ANameLongerThanTheLogInFormTakesIsNotRemembered)
{
    const auto run = launchWithName(std::string(40, 'n'));
    EXPECT_EQ(run.first, 0);
    EXPECT_EQ(run.second, "");
}
