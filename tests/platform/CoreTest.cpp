#include <CEGUI/Event.h>
#include <CEGUI/EventArgs.h>
#include <boost/function.hpp>
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <unistd.h>
#include <vector>
#include <core/AbstractWin32Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DateTime.h>
#include <core/Engine.h>
#include <core/Lifetime.h>
#include <core/ScopedEventConnection.h>
#include <core/TimerManager.h>
#include <filesystem>
#include <sys/stat.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>
#include <yake/Time.h>

#include "support/ForeignFile.h"
#include "support/ResidentMemory.h"
#include "support/TestEnv.h"

using namespace kavri3D::core;

namespace {

struct ManualClock {
    ManualClock()
    {
        yake::native::setManualClock(true);
        yake::native::setTime(100.0);
    }
    ~ManualClock()
    {
        TimerManager::instance().clear();
        yake::native::setManualClock(false);
    }
};

class RecordingApp : public ExampleApplication<ApplicationConfiguration> {
public:
    RecordingApp(const std::string& cmd, const std::string& failAt = "")
        : ExampleApplication<ApplicationConfiguration>(nullptr, cmd), mFailAt(failAt)
    {
    }
    std::vector<std::string> calls;

    boost::shared_ptr<BlackBoard> onCreateBlackBoardImpl() override
    {
        calls.push_back("onCreateBlackBoardImpl");
        auto board = ExampleApplication::onCreateBlackBoardImpl();
        board->setBool("kavri3D/headless", true); // no window: asked for, as the game must be
        return board;
    }
    boost::shared_ptr<win32FrameController> onCreateFrameControlImpl() override
    {
        calls.push_back("frameControl");
        return ExampleApplication::onCreateFrameControlImpl();
    }
    bool onPreInitialise() override { return record("onPreInitialise"); }
    win32RenderWindowPtr onCreateRenderWindow() override
    {
        calls.push_back("onCreateRenderWindow");
        return mFailAt == "onCreateRenderWindow" ? win32RenderWindowPtr() : ExampleApplication::onCreateRenderWindow();
    }
    ApplicationStatePtr onCreateApplicationStateImpl() override
    {
        calls.push_back("onCreateApplicationStateImpl");
        return ExampleApplication::onCreateApplicationStateImpl();
    }
    FramePtr onCreateMainFrame() override
    {
        calls.push_back("onCreateMainFrame");
        return ExampleApplication::onCreateMainFrame();
    }
    SessionPtr onCreateSession() override
    {
        calls.push_back("onCreateSession");
        return SessionPtr();
    }
    bool onPostInitialise() override { return record("onPostInitialise"); }
    bool onRun() override
    {
        calls.push_back("run");
        return ExampleApplication::onRun();
    }
    void onPreShutdown() override { calls.push_back("onPreShutdown"); }
    void onInterShutdown() override { calls.push_back("onInterShutdown"); }
    bool onPostShutdown() override
    {
        calls.push_back("onPostShutdown");
        return true;
    }

private:
    bool record(const char* name)
    {
        calls.push_back(name);
        return mFailAt != name;
    }
    std::string mFailAt;
};

class CountingState : public ClientState {
public:
    int enters = 0, exits = 0, frames = 0;
    std::string lastParams;
    void onEnter(const std::string& p) override
    {
        ++enters;
        lastParams = p;
    }
    void onExit() override { ++exits; }
    void onFrame(float) override { ++frames; }
};

} // namespace

TEST(RunApplication, CallsTheHooksInOrderAndStopsAtTheFrameLimit)
{
    ManualClock clock;
    RecordingApp app("game.exe /quitAfterFrames=3");
    EXPECT_TRUE(runApplication(app));
    const std::vector<std::string> expected = {"onCreateBlackBoardImpl",
                                               "frameControl",
                                               "onPreInitialise",
                                               "onCreateRenderWindow",
                                               "onCreateApplicationStateImpl",
                                               "onCreateMainFrame",
                                               "onCreateSession",
                                               "onPostInitialise",
                                               "run",
                                               "onPreShutdown",
                                               "onInterShutdown",
                                               "onPostShutdown"};
    EXPECT_EQ(app.calls, expected);
    EXPECT_EQ(app.getFrameCount(), 3u);
    EXPECT_EQ(Engine::getSingletonPtr(), nullptr); // the engine is gone after the run
}

TEST(RunApplication, FailedStartUpHookEndsWithFalseButStillShutsDown)
{
    for (const char* hook : {"onPreInitialise", "onCreateRenderWindow", "onPostInitialise"}) {
        RecordingApp app("game.exe", hook);
        EXPECT_FALSE(runApplication(app)) << hook;
        EXPECT_EQ(std::count(app.calls.begin(), app.calls.end(), "run"), 0) << hook;
        ASSERT_GE(app.calls.size(), 3u);
        EXPECT_EQ(app.calls.back(), "onPostShutdown") << hook;
    }
}

TEST(RunApplication, AThrowingHookOrFrameEndsWithFalseAndTheShutDownStillRunsInOrder)
{
    ManualClock clock;
    struct Thrower : RecordingApp {
        Thrower(const char* where) : RecordingApp("game.exe /quitAfterFrames=5"), mWhere(where) {}
        bool onPostInitialise() override
        {
            RecordingApp::onPostInitialise();
            if (mWhere == "start-up")
                throw std::runtime_error("hook broke");
            Engine::getSingleton().getClientStateMachine()->addState("logon", boost::make_shared<ClientState>());
            return true;
        }
        bool onRun() override
        {
            calls.push_back("run");
            getApplicationState()->start();
            runOneFrame();
            throw 42; // not even an exception class
        }
        std::string mWhere;
    };
    for (const char* where : {"start-up", "frame"}) {
        Thrower app(where);
        EXPECT_FALSE(runApplication(app)) << where;
        const std::vector<std::string> tail = {"onPreShutdown", "onInterShutdown", "onPostShutdown"};
        ASSERT_GE(app.calls.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(app.calls.end() - 3, app.calls.end()), tail) << where;
        EXPECT_EQ(Engine::getSingletonPtr(), nullptr) << where;
    }
}

// The installation's settings file fills the blackboard; what the hooks set stays theirs, and
// a broken file leaves only the defaults.
TEST(RunApplication, ShippedBoardFileFillsWhatTheHooksLeftOpen)
{
    struct BoardApp : RecordingApp {
        BoardApp(const std::string& folder) : RecordingApp("game.exe", "onPreInitialise"), mFolder(folder) {}
        boost::shared_ptr<BlackBoard> onCreateBlackBoardImpl() override
        {
            auto bb = RecordingApp::onCreateBlackBoardImpl();
            bb->setString("kavri3D/appPath", mFolder);
            return bb;
        }
        std::string mFolder;
    };
    zrktest::TempDir dir;
    const std::string folder = dir.path() + "/";
    zrktest::writeFile(folder + Application::kShippedBoardFile,
                       "<kavri3D><servers>res/servers.xml</servers><appPath>elsewhere/</appPath></kavri3D>");
    {
        BoardApp app(folder);
        runApplication(app);
        EXPECT_EQ(app.getBlackBoard()->getString("kavri3D/servers"), "res/servers.xml");
        EXPECT_EQ(app.getBlackBoard()->getString("kavri3D/appPath"), folder);
        EXPECT_EQ(app.getBlackBoard()->getString("kavri3D/runPath"), folder);
    }
    zrktest::writeFile(folder + Application::kShippedBoardFile, "<kavri3D>" + zrktest::nestedXml(40000) + "</kavri3D>");
    BoardApp app(folder);
    runApplication(app);
    EXPECT_EQ(app.getBlackBoard()->getString("kavri3D/servers", "none"), "none");
    EXPECT_EQ(app.calls.back(), "onPostShutdown");
}

TEST(RunApplication, QuitMessageEndsTheLoop)
{
    ManualClock clock;
    struct QuitAfterTwo : RecordingApp {
        using RecordingApp::RecordingApp;
        bool onPostInitialise() override
        {
            state.reset(new CountingState);
            Engine::getSingleton().getClientStateMachine()->addState("logon", state);
            return true;
        }
        boost::shared_ptr<CountingState> state;
    } app("game.exe /quitAfterFrames=100");
    bool posted = false;
    setTimeout(50, [&] {
        posted = true;
        PostQuitMessage(0);
    });
    EXPECT_TRUE(runApplication(app));
    EXPECT_TRUE(posted);
    EXPECT_LT(app.getFrameCount(), 100u);
    EXPECT_EQ(app.state->enters, 1); // opened in "logon"
    EXPECT_EQ(app.state->exits, 1);  // and left it at shut-down
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) // the sanitizer keeps freed blocks a while, by design
using zrktest::residentMb;

// Big blocks freed during a run leave the resident memory at once, even after a bigger one
// was freed (the C library would otherwise keep them in the heap from then on, holes a long
// run of battles kept adding to).
TEST(RunApplication, BigBlocksFreedDuringTheRunGoBackToTheSystem)
{
    struct Blocks : RecordingApp {
        using RecordingApp::RecordingApp;
        bool onRun() override
        {
            auto touched = [](std::size_t size) {
                std::unique_ptr<char[]> block(new char[size]);
                std::memset(block.get(), 1, size);
                return block;
            };
            touched(8 << 20).reset(); // a decoded picture, gone
            std::vector<std::unique_ptr<char[]>> big, kept;
            for (int i = 0; i < 32; ++i) {
                big.push_back(touched(1 << 20));
                kept.push_back(touched(64)); // stays between them
            }
            held = residentMb();
            big.clear();
            freed = residentMb();
            return true;
        }
        double held = 0, freed = 0;
    };
    // In a process of its own: big blocks earlier tests freed into this one's heap would serve
    // these from it, whatever the run's setting.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Blocks app("game.exe");
            const bool ran = runApplication(app);
            std::fprintf(stderr, "%.1f MB held, %.1f MB after freeing 32 MB\n", app.held, app.freed);
            std::exit(ran && app.held - app.freed > 28.0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

namespace {
/// An application that only prepares its log, in the folder it is given.
struct LogOnlyApp : ExampleApplication<ApplicationConfiguration> {
    std::string folder;
    explicit LogOnlyApp(const std::string& logs)
        : ExampleApplication<ApplicationConfiguration>(nullptr, "game.exe"), folder(logs)
    {
        mAppName = "Game";
    }
    std::string onPrepareLogPath() override { return folder; }
};
} // namespace

// The logs' folder left open to others by an older run is closed again and the log made there;
// another user's is not used: the run has no log and says so on standard error.
TEST(RunApplication, TheLogsFolderIsClosedAgainAndAnotherUsersKeepsNoLog)
{
    zrktest::TempDir dir;
    yake::logging::logger& log = yake::logging::logger::instance();
    const std::string earlier = log.logFile();
    std::filesystem::create_directory(dir.file("logs"));
    ::chmod(dir.file("logs").c_str(), 0777);
    LogOnlyApp own(dir.file("logs") + "/");
    own.onPrepareLogger();
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("logs").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(log.logFile(), dir.file("logs/Game.log"));
    EXPECT_TRUE(yake::PlayerFiles::isPlayersFile(dir.file("logs/Game.log"), false));

    std::filesystem::create_directory(dir.file("theirs"));
    ::chmod(dir.file("theirs").c_str(), 0777);
    {
        zrktest::ForeignFile foreign(dir.file("theirs"));
        LogOnlyApp stranger(dir.file("theirs") + "/");
        zrktest::StderrCapture capture(dir.file("stderr"));
        stranger.onPrepareLogger();
    }
    EXPECT_EQ(log.logFile(), "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("theirs")));
    EXPECT_NE(zrktest::readFile(dir.file("stderr")).find("no log in this run"), std::string::npos);
    log.setLogFile(earlier, false);
}

TEST(CommandLine, QuotesGroupAndTheUriIsTheFirstNonSwitchAfterTheProgram)
{
    RecordingApp app("\"C:/Program Files/game.exe\" /mutex=0 \"zrk://go?ln=a b&lp=c\" /Embeded=1");
    ASSERT_EQ(app.getArguments().size(), 4u);
    EXPECT_EQ(app.getArguments()[0], "C:/Program Files/game.exe");
    EXPECT_EQ(app.getCmdUri(), "zrk://go?ln=a b&lp=c");
    RecordingApp none("game.exe /mutex=0");
    EXPECT_EQ(none.getCmdUri(), "");
}

TEST(Timers, FireOnceWhenDueInOrderAndCanBeKilled)
{
    ManualClock clock;
    std::vector<int> fired;
    int a = setTimeout(200, [&] { fired.push_back(1); });
    setTimeout(100, [&] { fired.push_back(2); });
    int c = setTimeout(150, [&] { fired.push_back(3); });
    EXPECT_TRUE(killTimer(c));
    EXPECT_FALSE(killTimer(c));
    TimerManager::instance().update();
    EXPECT_TRUE(fired.empty()); // nothing fires inside the call that set it, nor before its time
    yake::native::advanceTime(0.25);
    TimerManager::instance().update();
    EXPECT_EQ(fired, (std::vector<int>{2, 1}));
    EXPECT_FALSE(killTimer(a));
    TimerManager::instance().update();
    EXPECT_EQ(fired.size(), 2u);
}

TEST(Timers, ACallbackThatKillsALaterDueTimerStopsIt)
{
    ManualClock clock;
    int second = -1;
    bool secondFired = false;
    setTimeout(10, [&] { killTimer(second); });
    second = setTimeout(20, [&] { secondFired = true; });
    yake::native::advanceTime(1.0);
    TimerManager::instance().update();
    EXPECT_FALSE(secondFired);
}

TEST(Timers, ARepeatingTimerFiresEachPeriodOnceAFrameUntilItKillsItself)
{
    ManualClock clock;
    int id = -1, calls = 0;
    id = setTimeout(
        1000,
        [&] {
            if (++calls == 3)
                killTimer(id);
        },
        true);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 0);
    yake::native::advanceTime(1.0);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 1);
    yake::native::advanceTime(0.5);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 1);
    // Far behind: one call, not a burst.
    yake::native::advanceTime(10.0);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 2);
    yake::native::advanceTime(1.0);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 3); // killed itself
    EXPECT_FALSE(killTimer(id));
    yake::native::advanceTime(5.0);
    TimerManager::instance().update();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(TimerManager::instance().pending(), 0u);
}

TEST(Lifetime, GuardedCallbacksAndTimersEndWithTheirOwner)
{
    ManualClock clock;
    int answers = 0, ticks = 0;
    std::function<void(bool, const std::string&)> completion;
    std::function<void()> afterEnd;
    {
        Lifetime life;
        completion = life.guard([&](bool error, const std::string& text) { answers += error ? 0 : 1; });
        completion(false, "ok");
        EXPECT_EQ(answers, 1);
        // An empty function guarded is a no-op, not a throw.
        life.guard(boost::function<void()>())();
        life.setTimeout(
            100, [&] { ++ticks; }, true);
        life.setTimeout(300, [&] { ticks += 100; });
        int killed = life.setTimeout(50, [&] { ticks += 1000; });
        EXPECT_TRUE(life.killTimer(killed));
        EXPECT_EQ(killed, -1);
        EXPECT_FALSE(life.killTimer(killed));
        yake::native::advanceTime(0.15);
        TimerManager::instance().update();
        EXPECT_EQ(ticks, 1);

        // A copy of an owner has a life of its own: ending it leaves the first one's be.
        Lifetime copy(life);
        afterEnd = copy.guard([&] { answers += 10; });
        copy.end();
        EXPECT_TRUE(copy.ended());
        EXPECT_EQ(copy.setTimeout(10, [&] { ticks += 10000; }), -1);
        afterEnd();
        completion(false, "still");
        EXPECT_EQ(answers, 2);
    }
    // The owner is gone: late answers and its timers do nothing.
    completion(false, "late");
    EXPECT_EQ(answers, 2);
    yake::native::advanceTime(1.0);
    TimerManager::instance().update();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(TimerManager::instance().pending(), 0u);
}

TEST(ScopedEventConnection, ASubscriptionEndsWithItsHolderOrWhenReplacedAndMovesWhole)
{
    CEGUI::Event clicked("Clicked");
    int first = 0, second = 0;
    CEGUI::EventArgs args;
    auto subscribe = [&clicked](int& count) {
        return clicked.subscribe(CEGUI::Event::Subscriber([&count](const CEGUI::EventArgs&) {
            ++count;
            return true;
        }));
    };
    {
        ScopedEventConnection held(subscribe(first));
        clicked(args);
        EXPECT_EQ(first, 1);
        held = subscribe(second); // the first one ends
        clicked(args);
        EXPECT_EQ(first, 1);
        EXPECT_EQ(second, 1);

        // Held in a growing list, moved about: each stays subscribed once.
        std::vector<ScopedEventConnection> buttons;
        for (int i = 0; i < 20; ++i)
            buttons.push_back(subscribe(first));
        buttons.push_back(std::move(held));
        EXPECT_FALSE(held.connected());
        clicked(args);
        EXPECT_EQ(first, 21);
        EXPECT_EQ(second, 2);
        buttons.clear();
        clicked(args);
        EXPECT_EQ(first, 21);
        EXPECT_EQ(second, 2);

        held = subscribe(second);
        held.reset();
        EXPECT_FALSE(held.connected());
        clicked(args);
        EXPECT_EQ(second, 2);
    }
    {
        ScopedEventConnection kept(subscribe(second));
        kept.release(); // the event's owner ends it
    }
    clicked(args);
    EXPECT_EQ(second, 3);
}

TEST(ClientStateMachine, ChangesAreQueuedUntilTheNextFrame)
{
    ClientStateMachine m;
    auto a = boost::shared_ptr<CountingState>(new CountingState);
    auto b = boost::shared_ptr<CountingState>(new CountingState);
    EXPECT_TRUE(m.addState("a", a));
    EXPECT_TRUE(m.addState("b", b));
    EXPECT_FALSE(m.addState("a", b));
    EXPECT_FALSE(m.addState("", b));
    EXPECT_FALSE(m.changeState("missing"));
    int signals = 0;
    boost::signals2::scoped_connection c = m.subscribeToFsmState([&](ClientStateMachine&) { ++signals; });
    m.changeState("a");
    EXPECT_EQ(m.currentState(), nullptr);
    m.update(0.1f);
    EXPECT_EQ(m.currentStateName(), "a");
    EXPECT_EQ(a->frames, 1);
    m.changeState("b", "bag=1&prev=a");
    m.update(0.1f);
    EXPECT_EQ(a->exits, 1);
    EXPECT_EQ(b->lastParams, "bag=1&prev=a");
    EXPECT_EQ(signals, 2);
}

TEST(DateTime, UtcSecondsOfAWellFormedDateAndMinusOneForAnythingElse)
{
    EXPECT_EQ(parseDateTime("1970-01-01 00:00:00"), 0);
    EXPECT_EQ(parseDateTime("2026-11-30 18:45:00"), 1796064300);
    EXPECT_EQ(parseDateTime("2024-02-29 23:59:59"), 1709251199);
    for (const char* bad :
         {"", "no date", "2023-02-29 00:00:00", "2026-13-01 00:00:00", "2026-11-30T18:45:00", "2026-11-30 24:00:00",
          "1969-12-31 23:59:59", "2026-11-30 18:45:00 ", "2026-1a-30 18:45:00"})
        EXPECT_EQ(parseDateTime(bad), -1) << bad;
}
