// The launcher as the player starts it, in a locale that knows no UTF-8.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <win32/Windows.h>
#include <yake/Configuration.h>

#include "support/TestEnv.h"

namespace {

/// Runs the launcher with the log-in name `name` in the C locale (`after`: shell words after
/// the switches); gives the exit code and the remembered name of the settings it wrote
/// ("<none>" when it wrote none).
std::pair<int, std::string> launchWithName(const std::string& name, const std::string& after = "",
                                           const zrktest::TempDir* dataFolder = nullptr)
{
    zrktest::TempDir runtime, ownData;
    const zrktest::TempDir& data = dataFolder ? *dataFolder : ownData;
    const std::string command =
        "env LC_ALL=C LANG=C XDG_RUNTIME_DIR=" + runtime.path() + " XDG_DATA_HOME=" + data.path() + " " +
        zrktest::binFolder() + "/zrk_launcher 'zrk://play?ln=" + name +
        "&lp=nothing' /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=40 " + after + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    yake::Configuration written;
    try {
        written.readFromXML(data.path() + "/kavri3D/ZRK_Main.xml", "");
    } catch (const std::exception&) {
        return {code, "<none>"};
    }
    return {code, written.get("kavri3D/app/player/name", "<none>")};
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

TEST(Launcher, QuotesBlanksBackslashesAndEmptyArgumentsArriveAsGivenAndTurnNoSwitchOn)
{
    // Empty arguments, lone backslashes and quotes after it take nothing from the URI's name.
    const std::string name = "a\" /x=1 \\\"b\\";
    const auto run = launchWithName(name, "'' '\\' '\"' '' '/y=\\\"'");
    EXPECT_EQ(run.first, 0);
    EXPECT_EQ(run.second, name);

    // "/mutex=0" inside the URI is text, not a switch: the held lock still refuses the run.
    zrktest::TempDir data;
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    HANDLE held = CreateMutexW(nullptr, TRUE, L"ZRK_Main");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(launchWithName("x\" /mutex=0 \"", "", &data).first, 254); // -2
    CloseHandle(held);
}
