// The whole game, loaded the way the launcher loads it, logging in by itself against the
// embedded server.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <yake/Configuration.h>
#include <win32/Windows.h>

#include "support/TestEnv.h"

namespace {

typedef int (*GameEntryFn)(std::uint32_t, HWND, const wchar_t*);

struct AutoLoginRun : ::testing::Test {
    zrktest::TempDir runtime, data;
    zrktest::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path()};
    zrktest::ScopedEnv dataEnv{"XDG_DATA_HOME", data.path()};
    void* module = dlopen((zrktest::binFolder() + "/libZRK_Main.so").c_str(), RTLD_NOW | RTLD_LOCAL);

    ~AutoLoginRun() override
    {
        if (module)
            dlclose(module);
    }
    std::string file(const char* name) const { return data.path() + "/kavri3D/" + name; }
};

} // namespace

// The log-in screen comes up with the first panels and, started with credentials, the GUI
// logs in by itself on the first frame of the log-on state.
TEST_F(AutoLoginRun, HeroLogsInByHimselfAndGoesToTheAreaChoice)
{
    ASSERT_NE(module, nullptr) << dlerror();
    auto entry = reinterpret_cast<GameEntryFn>(dlsym(module, "GameEntry"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(0, nullptr,
                    L"game.exe zrk://play?ln=hero&lp=hero123&ls=1 /LowIntegrity=1 /headless=1 /unpaced=1 "
                    L"/quitAfterFrames=120 /mutex=0"),
              0);

    const std::string log = zrktest::readFile(file("ZRK_Main.log"));
    EXPECT_NE(log.find("hero logged in: on to room"), std::string::npos) << log;
    EXPECT_EQ(log.find("paramNode is null"), std::string::npos);

    yake::Configuration written;
    ASSERT_NO_THROW(written.readFromXML(file("ZRK_Main.xml"), ""));
    EXPECT_EQ(written.get("kavri3D/app/player/lock", ""), "true");
}
