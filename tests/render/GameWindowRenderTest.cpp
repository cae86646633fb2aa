#include <dlfcn.h>
#include <gtest/gtest.h>
#include <win32/Windows.h>

#include "PngProbe.h"
#include "support/TestEnv.h"

// The whole game in a real window: start-up, frames drawn, shut-down, as the launcher runs it.
TEST(GameOnScreen, GameEntryOpensTheWindowAndDrawsFrames)
{
    zrktest::TempDir runtime, data, shots;
    zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.path());
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    void* module = dlopen((zrktest::binFolder() + "/libZRK_Main.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    typedef int (*Entry)(std::uint32_t, HWND, const wchar_t*);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "GameEntry"));
    ASSERT_NE(entry, nullptr);
    const std::wstring cmd = L"game.exe /LowIntegrity=1 /unpaced=1 /quitAfterFrames=12 /screenshot=" +
                             win32WideFromUtf8(shots.file("game.png"));
    EXPECT_EQ(entry(0, nullptr, cmd.c_str()), 0);
    dlclose(module);
    zrktest::PngProbe probe(shots.file("game.png"));
    EXPECT_GT(probe.width, 640);
    EXPECT_GT(probe.lit, 0.9); // the scene's background, not a black screen
}
