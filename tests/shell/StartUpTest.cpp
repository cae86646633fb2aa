#include <boost/any.hpp>
#include <dlfcn.h>
#include <filesystem>
#include <algorithm>
#include <gtest/gtest.h>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/Frame.h>
#include <core/PhysicsManager.h>
#include <yake/Configuration.h>
#include <yake/Logger.h>

#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "shell/WindowGeometry.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using zrk::WindowGeometry;

namespace {
const RECT kNoParent{0, 0, 0, 0};
RECT work(int w, int h) { return RECT{0, 0, w, h}; }
} // namespace

TEST(WindowGeometry, TopLevelWindowIsFixedSize16By9CentredInTheWorkArea)
{
    WindowGeometry g = WindowGeometry::compute(false, kNoParent, true, 0, 1920, 1080, work(1920, 1040));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, g.style, FALSE, g.exStyle);
    const int allowance = (frame.bottom - frame.top) + 4;
    EXPECT_EQ(g.clientHeight, 775 - allowance);
    EXPECT_EQ(g.clientWidth, g.clientHeight * 16 / 9);
    EXPECT_FALSE(g.style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD));
    EXPECT_TRUE(g.style & WS_VISIBLE);
    EXPECT_EQ(g.x, 960 - g.width / 2);
    EXPECT_EQ(g.y, 520 - g.height / 2);
    EXPECT_FALSE(g.embedded); // "Embeded" means nothing without a parent
    // The same work area height gives the same client height whatever the screen width.
    EXPECT_EQ(WindowGeometry::compute(false, kNoParent, false, 0, 3840, 1080, work(3840, 1040)).clientHeight,
              g.clientHeight);
}

TEST(WindowGeometry, SmallWorkAreaGivesTheMinimumSizePinnedToTheTopLeft)
{
    WindowGeometry g = WindowGeometry::compute(false, kNoParent, false, 0, 800, 600, RECT{10, 20, 810, 600});
    EXPECT_EQ(g.clientHeight, 600);
    EXPECT_EQ(g.clientWidth, 1066);
    EXPECT_EQ(g.x, 10);
    EXPECT_EQ(g.y, 20);
}

TEST(WindowGeometry, ChildFillsTheParentButKeepsTheLayoutSize)
{
    WindowGeometry g = WindowGeometry::compute(true, RECT{0, 0, 1024, 768}, false, 0, 1920, 1080, work(1920, 1040));
    EXPECT_TRUE(g.style & WS_CHILD);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, 1024);
    EXPECT_EQ(g.height, 768);
    EXPECT_EQ(g.clientWidth, 800);
    EXPECT_EQ(g.clientHeight, 600);
    EXPECT_FALSE(g.embedded);
    EXPECT_TRUE(WindowGeometry::compute(true, RECT{0, 0, 1024, 768}, true, 0, 1920, 1080, work(1920, 1040)).embedded);
}

TEST(WindowGeometry, FullScreenModeOneUsesTheWindowedClientSize)
{
    WindowGeometry normal = WindowGeometry::compute(false, kNoParent, false, 0, 1920, 1080, work(1920, 1040));
    EXPECT_EQ(normal.fullScreenWidth, 1920);
    WindowGeometry fs = WindowGeometry::compute(false, kNoParent, false, 1, 1920, 1080, work(1920, 1040));
    EXPECT_EQ(fs.fullScreenWidth, fs.clientWidth);
    EXPECT_EQ(fs.fullScreenHeight, fs.clientHeight);
}

namespace {
struct AutoLoginCase {
    const char* commandLine;
    bool act;
    const char* name;
    const char* password;
    const char* server;
    bool platform;
};

std::string autoLogin(core::BlackBoard& bb, const char* key) { return bb.getString(std::string("kavri3D/autoLogin/") + key, "<none>"); }
} // namespace

TEST(AutoLogin, CommandUriSetsOnlyCompletePairs)
{
    const AutoLoginCase cases[] = {
        {"game.exe zrk://play?ln=alice&lp=secret&ls=2", true, "alice", "secret", "2", false},
        {"game.exe zrk://play?ln=alice", false, "<none>", "<none>", "<none>", false},
        {"game.exe zrk://play?ln=&lp=", true, "", "", "", false},
        {"game.exe zrk://play?ln=a%20b&lp=%zz%41", true, "a b", "%zzA", "", false},
        {"game.exe zrk://play?openid=o&openkey=k&PROCPARA=p", true, "<none>", "<none>", "<none>", true},
        {"game.exe zrk://play?&&=&ln", false, "<none>", "<none>", "<none>", false},
        {"game.exe /mutex=0", false, "<none>", "<none>", "<none>", false},
    };
    for (const AutoLoginCase& c : cases) {
        core::BlackBoard bb;
        zrk::Application app(nullptr, c.commandLine);
        app.applyAutoLogin();
        EXPECT_EQ(bb.getBool("kavri3D/autoLogin/_act", true), c.act) << c.commandLine;
        EXPECT_EQ(autoLogin(bb, "name"), c.name) << c.commandLine;
        EXPECT_EQ(autoLogin(bb, "password"), c.password) << c.commandLine;
        EXPECT_EQ(autoLogin(bb, "server"), c.server) << c.commandLine;
        EXPECT_EQ(bb.getBool("kavri3D/autoLogin/platform", false), c.platform) << c.commandLine;
    }
    core::BlackBoard bb;
    zrk::Application platform(nullptr, "game.exe zrk://x?openid=o&openkey=k&PROCPARA=p");
    platform.applyAutoLogin();
    EXPECT_EQ(autoLogin(bb, "openid"), "o");
    EXPECT_EQ(autoLogin(bb, "openkey"), "k");
    EXPECT_EQ(autoLogin(bb, "PROCPARA"), "p");
}

TEST(AutoLogin, VeryLongArgumentIsTakenWhole)
{
    core::BlackBoard bb;
    const std::string name(100000, 'n');
    zrk::Application app(nullptr, "game.exe zrk://play?ln=" + name + "&lp=x");
    app.applyAutoLogin();
    EXPECT_EQ(bb.getString("kavri3D/autoLogin/name"), name);
}

namespace {
struct EngineFixture : ::testing::Test {
    zrktest::TempDir dir;
    core::BlackBoard board;
    core::Engine engine;
    zrk::Application app{nullptr, "game.exe"};
    EngineFixture()
    {
        board.setString("kavri3D/runPath", dir.path() + "/");
        zrk::appModule().loadConfig();
    }
    ~EngineFixture() override { zrk::appModule().Term(); }
    core::XmlConfigHelper& config() { return *zrk::appModule().getAppConfig(); }
};
} // namespace

TEST_F(EngineFixture, SavedVolumesApplyMasterThenChannelsAndRoundTrip)
{
    config().setStringVal("audio/volume", "80");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 0.8f);

    config().setStringVal("audio/volume", "80 50 -30");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(0), 0.5f);
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(1), -0.3f);

    app.saveVolumes();
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "80 50 -30");

    config().setStringVal("audio/volume", "");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 0.5f);
    config().setStringVal("audio/volume", "loud quiet");
    app.applySavedVolumes(); // garbage reads as 0, never a crash
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 0.f);
}

TEST_F(EngineFixture, HandEditedVolumesAreHeldToTheirRangeAndComeBackInIt)
{
    config().setStringVal("audio/volume", "2147483647 -2147483648 150");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 1.f);
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(0), -1.f);
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(1), 1.f);
    app.saveVolumes();
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "100 -100 100");

    config().setStringVal("audio/volume", "-5");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 0.f);
    engine.getAudioManager()->setVolume(7.f); // whoever set it, what is written stays in range
    core::DefaultAudioHelper::setVolume(0, -3.f);
    app.saveVolumes();
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "100 -100 100");
}

TEST_F(EngineFixture, PhysicsStepSizeFromTheSettingsAndSafeDefaults)
{
    auto stepSize = [&] {
        const boost::any* a = engine.getPhysicsManager()->getPhysicsWorld()->getProperty("stepsize");
        return a ? boost::any_cast<float>(*a) : -1.f;
    };
    app.applyPhysics();
    EXPECT_FLOAT_EQ(stepSize(), 0.025f);
    EXPECT_FLOAT_EQ(engine.getPhysicsManager()->getTimeFactor(), 1.1f);
    for (const char* bad : {"0", "-5"}) {
        config().setStringVal("physix/step", bad);
        app.applyPhysics();
        EXPECT_FLOAT_EQ(stepSize(), 0.025f) << bad;
    }
    config().setStringVal("physix/step", "50");
    app.applyPhysics();
    EXPECT_FLOAT_EQ(stepSize(), 0.02f);
}

TEST_F(EngineFixture, MissingAudioOrPhysicsSkipsTheStepWithALogLine)
{
    yake::logging::logger::instance().startCapture();
    engine.releaseAudioManager();
    engine.releasePhysicsManager();
    app.applySavedVolumes();
    app.applyPhysics();
    auto lines = yake::logging::logger::instance().captured();
    yake::logging::logger::instance().stopCapture();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].severity, 3u);
    EXPECT_EQ(lines[1].severity, 3u);
}

TEST(StartUp, WithoutTheGuiPlugInTheRunFailsCleanlyAndStillWritesSettings)
{
    // A copy of the module in a folder with no GUI plug-in beside it.
    zrktest::TempDir program, runtime, data;
    zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.path());
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    std::filesystem::copy_file(zrktest::binFolder() + "/libZRK_Main.so", program.file("libZRK_Main.so"));
    void* module = dlopen(program.file("libZRK_Main.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    typedef int (*Entry)(std::uint32_t, HWND, const wchar_t*);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "GameEntry"));
    ASSERT_NE(entry, nullptr);
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(entry(0, nullptr, L"game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=3"), 1);
    std::filesystem::current_path(cwd);
    dlclose(module);
    yake::Configuration written;
    EXPECT_NO_THROW(written.readFromXML(data.path() + "/kavri3D/ZRK_Main.xml", ""));
}

TEST(LogSeverity, TheSettingSwitchesOffOnlyTheLevelsAboveIt)
{
    auto& log = yake::logging::logger::instance();
    const std::pair<int, std::vector<unsigned>> cases[] = {
        {4, {5, 6, 7}}, {6, {7}}, {7, {}}, {9, {}}, {0, {5, 6, 7}}};
    for (const auto& c : cases) {
        log.enableAllSeverities();
        zrk::Application::applyLogSeverity(c.first);
        for (unsigned k = 1; k <= 7; ++k) {
            bool off = std::find(c.second.begin(), c.second.end(), k) != c.second.end();
            EXPECT_EQ(log.isSeverityEnabled(k), !off) << "setting " << c.first << " level " << k;
        }
    }
    log.enableAllSeverities();
}

TEST(StartUp, TheGameRunsItsHooksOpensInLogOnAndShutsDownCleanly)
{
    zrktest::TempDir data;
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    struct Probe : zrk::Application {
        using zrk::Application::Application;
        std::vector<std::string> hooks;
        core::ClientStateMachine* machine = nullptr;
        bool logonRegistered = false;
        bool onPreInitialise() override
        {
            hooks.push_back("pre");
            return zrk::Application::onPreInitialise();
        }
        core::FramePtr onCreateMainFrame() override
        {
            hooks.push_back("frame");
            return zrk::Application::onCreateMainFrame();
        }
        core::SessionPtr onCreateSession() override
        {
            hooks.push_back("session");
            return zrk::Application::onCreateSession();
        }
        bool onPostInitialise() override
        {
            hooks.push_back("post");
            bool ok = zrk::Application::onPostInitialise();
            machine = stateMachine();
            logonRegistered = machine && machine->getState("logon");
            return ok;
        }
        void onPreShutdown() override
        {
            hooks.push_back("shutdown " + (machine ? machine->currentStateName() : std::string("?")));
            zrk::Application::onPreShutdown();
        }
    };
    zrk::appModule().Init(zrk::moduleInstance(), nullptr);
    std::string cwd = std::filesystem::current_path().string();
    bool ok = false;
    {
        Probe app(zrk::moduleInstance(), "game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=3");
        ok = core::runApplication(app);
        EXPECT_TRUE(app.logonRegistered);
        EXPECT_EQ(app.hooks, (std::vector<std::string>{"pre", "frame", "session", "post", "shutdown logon"}));
        EXPECT_EQ(app.getRenderWindow(), nullptr); // gone with the shut-down
    }
    zrk::appModule().Term();
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(ok);
    EXPECT_EQ(core::Engine::getSingletonPtr(), nullptr);
    EXPECT_EQ(zrk::Application::instance(), nullptr);
}

TEST(CloseQuery, OnlineTheWindowStaysAndTheQuitBoxAsksOfflineItCloses)
{
    zrktest::TempDir data;
    zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
    struct Closer : zrk::Application {
        using zrk::Application::Application;
        bool offlineClose = false, onlineClose = true, boxOpen = false;
        bool onRun() override
        {
            getApplicationState()->start();
            offlineClose = onQueryClose();
            for (int i = 0; i < 300 && runOneFrame(); ++i) {
                core::ISession* s = session();
                if (s && s->isOnline()) {
                    onlineClose = onQueryClose();
                    boxOpen = getMainFrame() && getMainFrame()->getOpenMessageBox();
                    break;
                }
            }
            return true;
        }
    };
    zrk::appModule().Init(zrk::moduleInstance(), nullptr);
    std::string cwd = std::filesystem::current_path().string();
    {
        Closer app(zrk::moduleInstance(), "game.exe zrk://play?ln=hero&lp=hero123 /LowIntegrity=1 /headless=1 /unpaced=1");
        EXPECT_TRUE(core::runApplication(app));
        EXPECT_TRUE(app.offlineClose);
        EXPECT_FALSE(app.onlineClose);
        EXPECT_TRUE(app.boxOpen);
    }
    zrk::appModule().Term();
    std::filesystem::current_path(cwd);
}
