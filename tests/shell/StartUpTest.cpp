#include <boost/any.hpp>
#include <filesystem>
#include <algorithm>
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <scene/ProductManager.h>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/Frame.h>
#include <core/PhysicsManager.h>
#include <yake/Configuration.h>
#include <yake/Logger.h>
#include <win32/Windows.h>

#include "rooms/BackgroundScene.h"
#include "rooms/ScenePlayer.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "shell/WindowGeometry.h"
#include "support/BrokenPlugins.h"
#include "support/FramePump.h"
#include "support/GameModule.h"
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

TEST(WindowGeometry, LowWorkAreaGivesTheMinimumHeightPinnedToTheTop)
{
    WindowGeometry g = WindowGeometry::compute(false, kNoParent, false, 0, 1920, 600, RECT{10, 20, 1930, 600});
    EXPECT_EQ(g.clientHeight, 600);
    EXPECT_EQ(g.clientWidth, 1066);
    EXPECT_EQ(g.y, 20);
}

TEST(WindowGeometry, TheWholeWindowIsOnEveryScreenAndKeeps16By9)
{
    const RECT screens[] = {work(1280, 1024),
                            work(1366, 768),
                            work(1920, 1080),
                            work(1024, 768),
                            RECT{0, 0, 1366, 728} /* a task bar below */,
                            RECT{60, 27, 1280, 1024} /* panels */};
    for (const RECT& w : screens) {
        const WindowGeometry g = WindowGeometry::compute(false, kNoParent, false, 0, w.right, w.bottom, w);
        const std::string at = std::to_string(w.left) + "," + std::to_string(w.top) + " " + std::to_string(w.right) +
                               "x" + std::to_string(w.bottom);
        EXPECT_GE(g.x, w.left) << at;
        EXPECT_GE(g.y, w.top) << at;
        EXPECT_LE(g.x + g.width, w.right) << at;
        EXPECT_LE(g.y + g.height, w.bottom) << at;
        EXPECT_NEAR(g.clientWidth * 9.0 / 16.0, g.clientHeight, 1.0) << at;
        EXPECT_GE(g.clientWidth, 640) << at;
    }
    // Wide enough, the height rule alone decides; on a 5:4 screen the width does.
    EXPECT_EQ(WindowGeometry::compute(false, kNoParent, false, 0, 1920, 1080, work(1920, 1080)).clientWidth, 1319);
    const WindowGeometry square = WindowGeometry::compute(false, kNoParent, false, 0, 1280, 1024, work(1280, 1024));
    EXPECT_EQ(square.width, 1280);
    EXPECT_EQ(square.x, 0);
}

TEST(WindowGeometry, AWorkAreaNarrowerThanTheScreensKeepsTheSmallestWindowPinnedToTheLeft)
{
    WindowGeometry g = WindowGeometry::compute(false, kNoParent, false, 0, 600, 400, RECT{10, 20, 610, 420});
    EXPECT_EQ(g.clientWidth, 640);
    EXPECT_EQ(g.clientHeight, 360);
    EXPECT_EQ(g.x, 10);
    EXPECT_EQ(g.y, 220 - g.height / 2); // the height still fits: centred
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

std::string autoLogin(core::BlackBoard& bb, const char* key)
{
    return bb.getString(std::string("kavri3D/autoLogin/") + key, "<none>");
}
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

TEST_F(EngineFixture, HandEditedVolumesAreKeptInRangeWhenUsedAndWhenWrittenBack)
{
    config().setStringVal("audio/volume", "2147483647 99999999999999999999 -2147483648");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 1.f);
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(0), 1.f);
    EXPECT_FLOAT_EQ(core::DefaultAudioHelper::getVolume(1), -1.f);
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "100 100 -100");
    app.saveVolumes();
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "100 100 -100");

    config().setStringVal("audio/volume", "-5 150");
    app.applySavedVolumes();
    EXPECT_FLOAT_EQ(engine.getAudioManager()->getVolume(), 0.f); // the master is never negative
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "0 100");

    // Without sound the text is still put in range, so the exit writes no wild value back.
    engine.releaseAudioManager();
    config().setStringVal("audio/volume", "2147483647");
    app.applySavedVolumes();
    EXPECT_EQ(config().getStringVal("audio/volume", ""), "100");
    EXPECT_EQ(zrk::Application::volumeLevels("80 50 -30"), (std::vector<int>{80, 50, -30}));
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

namespace {
const wchar_t* kHeadlessRun = L"game.exe /LowIntegrity=1 /headless=1 /unpaced=1 /quitAfterFrames=3";

/// Runs the game from a copy of the module in a folder of its own, beside the given GUI
/// plug-in (none when empty) copied as the game's; gives the exit code, what the run wrote on
/// standard error and what it left behind.
struct CopiedGameRun {
    zrktest::TempDir program, runtime, data, out;
    int code = -100;
    std::string log;
    std::string errors;
    bool settingsWritten = false;
    bool lockFree = false;

    explicit CopiedGameRun(const std::string& plugin, const wchar_t* commandLine = kHeadlessRun)
    {
        zrktest::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime.path());
        zrktest::ScopedEnv dataEnv("XDG_DATA_HOME", data.path());
        std::filesystem::copy_file(zrktest::binFolder() + "/libZRK_Main.so", program.file("libZRK_Main.so"));
        if (!plugin.empty())
            std::filesystem::copy_file(zrktest::binFolder() + "/lib" + plugin + ".so", program.file("libZRK_Gui.so"));
        {
            zrktest::GameModule module(program.file("libZRK_Main.so"));
            if (!module.loaded()) {
                ADD_FAILURE() << module.error();
                return;
            }
            std::string cwd = std::filesystem::current_path().string();
            {
                zrktest::StderrCapture capture(out.file("stderr"));
                code = module.run(commandLine);
            }
            std::filesystem::current_path(cwd);
        }
        errors = zrktest::readFile(out.file("stderr"));
        log = zrktest::readFile(data.path() + "/kavri3D/ZRK_Main.log");
        yake::Configuration written;
        try {
            written.readFromXML(data.path() + "/kavri3D/ZRK_Main.xml", "");
            settingsWritten = written.get("kavri3D/app/msg/muc", "") == "conference";
        } catch (const std::exception&) {
        }
        HANDLE lock = CreateMutexW(nullptr, TRUE, L"ZRK_Main");
        lockFree = lock && GetLastError() == ERROR_SUCCESS;
        if (lock)
            CloseHandle(lock);
    }
    std::size_t lines(const std::string& text) const
    {
        std::size_t n = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }
};
} // namespace

TEST(StartUp, WithoutADisplayAndNotAskedToRunHeadlessTheStartUpFailsWithOneClearLine)
{
    zrktest::ScopedEnv noDisplay("DISPLAY", "");
    CopiedGameRun run("ZRK_Gui", L"game.exe /LowIntegrity=1 /unpaced=1 /quitAfterFrames=3");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_NE(run.errors.find("no display to open the game window on"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("/headless=1"), std::string::npos);
    EXPECT_TRUE(run.settingsWritten);
    EXPECT_TRUE(run.lockFree);

    // Asked, it runs without a window.
    CopiedGameRun headless("ZRK_Gui");
    EXPECT_EQ(headless.code, 0) << headless.log;
}

TEST(StartUp, WithoutTheGuiPlugInTheRunFailsCleanlyAndStillWritesSettings)
{
    CopiedGameRun run("");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.settingsWritten);
    EXPECT_TRUE(run.lockFree);
}

TEST(StartUp, APluginLackingAnExportOrAnObjectEndsTheStartUpWithOneLineNamingIt)
{
    for (const zrktest::BrokenPlugin& c : zrktest::incompletePlugins()) {
        CopiedGameRun run(c.name);
        EXPECT_EQ(run.code, 1) << c.name;
        EXPECT_EQ(run.lines(c.logLine), 1u) << run.log;
        EXPECT_EQ(run.lines("ZRKGuiLoader"), 1u) << run.log;
        EXPECT_TRUE(run.settingsWritten) << c.name;
        EXPECT_TRUE(run.lockFree) << c.name;
    }
}

TEST(StartUp, AnExceptionFromAStartUpHookIsLoggedAndTheRunEndsWithOneAndItsSettings)
{
    CopiedGameRun run("ZRK_GuiThrows");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.log.find("stopped on an exception: overlay factory broken"), std::string::npos) << run.log;
    EXPECT_TRUE(run.settingsWritten);
    EXPECT_TRUE(run.lockFree);
}

TEST(LogSeverity, TheSettingSwitchesOffOnlyTheLevelsAboveIt)
{
    auto& log = yake::logging::logger::instance();
    const std::pair<int, std::vector<unsigned>> cases[] = {{4, {5, 6, 7}}, {6, {7}}, {7, {}}, {9, {}}, {0, {5, 6, 7}}};
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
    zrktest::GameHome home;
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
            // The log-on screen showed its backdrop; the tour and the product resolver were set up.
            backdrop = zrk::BackgroundScene::getSingletonPtr() &&
                       zrk::BackgroundScene::instance().getCurrentFlags() == zrk::BackgroundScene::kBackdrop;
            tour = zrk::ScenePlayer::getSingletonPtr() != nullptr;
            resolver = core::ProductManager::instance().getDocumentResolver() != nullptr;
            // The log-in page was made for the first screen; the character page, not shown, not yet.
            for (CEGUI::WindowManager::WindowIterator it = CEGUI::WindowManager::getSingleton().getIterator();
                 !it.isAtEnd(); ++it) {
                loginMade = loginMade || it.getCurrentValue()->getName() == "LoginPage";
                createCharMade = createCharMade || it.getCurrentValue()->getName() == "CreateCharPage";
            }
            zrk::Application::onPreShutdown();
            backgroundAfter = zrk::BackgroundScene::getSingletonPtr() != nullptr;
        }
        bool backdrop = false, tour = false, resolver = false, backgroundAfter = true;
        bool loginMade = false, createCharMade = false;
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
        EXPECT_TRUE(app.backdrop);
        EXPECT_TRUE(app.tour);
        EXPECT_TRUE(app.resolver);
        EXPECT_TRUE(app.loginMade);
        EXPECT_FALSE(app.createCharMade);
        EXPECT_FALSE(app.backgroundAfter);
        EXPECT_EQ(core::ProductManager::instance().getDocumentResolver(), nullptr);
        EXPECT_EQ(zrk::ScenePlayer::getSingletonPtr(), nullptr);
        // Downloads go under the run path when no cache is named.
        EXPECT_TRUE(std::filesystem::is_directory(home.dataPath() + "/kavri3D/cache"));
    }
    zrk::appModule().Term();
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(ok);
    EXPECT_EQ(core::Engine::getSingletonPtr(), nullptr);
    EXPECT_EQ(zrk::Application::instance(), nullptr);
}

TEST(CloseQuery, OnlineTheWindowStaysAndTheQuitBoxAsksOfflineItCloses)
{
    zrktest::GameHome home;
    struct Closer : zrk::Application {
        using zrk::Application::Application;
        bool offlineClose = false, onlineClose = true, boxOpen = false;
        bool onRun() override
        {
            getApplicationState()->start();
            offlineClose = onQueryClose();
            zrktest::FramePump pump([this] { return runOneFrame(); });
            auto online = [this] {
                core::ISession* s = session();
                return s && s->isOnline();
            };
            if (pump.until(online, 300, "the session online")) {
                onlineClose = onQueryClose();
                boxOpen = getMainFrame() && getMainFrame()->getOpenMessageBox();
            }
            return true;
        }
    };
    zrk::appModule().Init(zrk::moduleInstance(), nullptr);
    std::string cwd = std::filesystem::current_path().string();
    {
        Closer app(zrk::moduleInstance(),
                   "game.exe zrk://play?ln=hero&lp=hero123 /LowIntegrity=1 /headless=1 /unpaced=1");
        EXPECT_TRUE(core::runApplication(app));
        EXPECT_TRUE(app.offlineClose);
        EXPECT_FALSE(app.onlineClose);
        EXPECT_TRUE(app.boxOpen);
    }
    zrk::appModule().Term();
    std::filesystem::current_path(cwd);
}
