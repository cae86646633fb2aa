#include "core/Application.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sstream>
#include <thread>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/ClientStateTable.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <core/GraphicsSystem.h>
#include <core/win32FrameController.h>
#include <util/XmlConfigHelper.h>
#include <yake/FileText.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>
#include <yake/StringUtil.h>
#include <yake/Time.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::Application);

namespace kavri3D {
namespace core {

const char* const Application::kShippedBoardFile = "res/kavri3D.xml";

namespace {
using yake::logging::Severity;

double gFirstFrameTime = 0;
double gFirstFrameCpuTime = 0;
bool gBigBlocksApart = false;

/// From the first frame on, big blocks (decoded pictures, a battle's ground and geometry) get
/// pages of their own, which go back to the system when the block is freed. Left to itself,
/// the C library raises this limit to the biggest block ever freed (up to 32 MB) and puts such
/// blocks in the heap: each battle then leaves holes there that the next one's cannot fill, and
/// a long run grows by a few MB a battle. Not before: the start-up's pictures, decoded and let
/// go one after another, would each be given fresh pages to clear, a tenth of the time to the
/// first frame.
void keepBigBlocksApart()
{
    if (gBigBlocksApart)
        return;
    gBigBlocksApart = true;
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

double processCpuTime()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const yake::logging::Channel logLine("framework");

// Framework switches on the command line that the demo run and the tests use.
void copySwitch(Application& app, BlackBoard& bb, const std::string& name)
{
    std::string prefix = "/" + name + "=";
    for (const std::string& a : app.getArguments())
        if (yake::StringUtil::startsWith(a, prefix, true))
            bb.setString("kavri3D/" + name, a.substr(prefix.size()));
}

} // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) { return win32SplitCommandLine(commandLine); }

Application::Application(HINSTANCE instance, const std::string& commandLine)
    : mInstance(instance), mCommandLine(commandLine), mArguments(splitCommandLine(commandLine))
{
    for (std::size_t i = 1; i < mArguments.size(); ++i) {
        if (!mArguments[i].empty() && mArguments[i][0] != '/') {
            mCmdUri = mArguments[i];
            break;
        }
    }
}

Application::~Application() { releaseFramework(); }

void Application::requestQuit()
{
    mQuit = true;
    if (DefaultFsmHelper* h = DefaultFsmHelper::getSingletonPtr())
        h->requestQuit();
}

bool Application::isQuitRequested() const
{
    DefaultFsmHelper* h = DefaultFsmHelper::getSingletonPtr();
    return mQuit || (h && h->isQuitRequested());
}

boost::shared_ptr<BlackBoard> Application::onCreateBlackBoardImpl()
{
    auto bb = boost::shared_ptr<BlackBoard>(new BlackBoard);
    for (const char* name : {"quitAfterFrames", "quitAfterSeconds", "unpaced", "headless", "screenshot", "nickname"})
        copySwitch(*this, *bb, name);
    return bb;
}

std::string Application::onPrepareLogPath()
{
    std::string run = mBlackBoard ? mBlackBoard->getString("kavri3D/runPath") : std::string();
    return run + "logs/";
}

void Application::onPrepareLogger()
{
    std::string folder = onPrepareLogPath();
    std::string why;
    // Another user's folder keeps no log of the player's: the run goes without one and says so
    // where the player sees it (the line goes to standard error as well).
    if (!folder.empty() && !yake::PlayerFiles::claimOwnFolder(folder, &why)) {
        yake::logging::logger::instance().setLogFile("");
        logLine(Severity::Error, "no log in this run: " + why);
        return;
    }
    if (!folder.empty())
        yake::PlayerFiles::makeFolder(folder); // the player's alone, as the log in it
    std::string name = mAppName.empty() ? std::string("kavri3D") : mAppName;
    const std::string file = folder + name + ".log";
    if (!yake::logging::logger::instance().setLogFile(file))
        logLine(Severity::Error, "no log in this run: " + file + ": " + std::strerror(errno));
}

boost::shared_ptr<win32FrameController> Application::onCreateFrameControlImpl()
{
    return boost::shared_ptr<win32FrameController>(new win32FrameController);
}

win32RenderWindowPtr Application::onCreateRenderWindow()
{
    win32RenderWindowPtr w(new win32RenderWindow("kavri3DAppGuiWindow"));
    if (!w->create(L"", WS_VISIBLE, 0, nullptr, nullptr))
        return win32RenderWindowPtr();
    return w;
}

ApplicationStatePtr Application::onCreateApplicationStateImpl()
{
    return ApplicationStatePtr(kavri_3d_StartEngine(*this, ClientStateTable::kLogon));
}

FramePtr Application::onCreateMainFrame() { return FramePtr(new Frame(*this)); }

SessionPtr Application::onCreateSession() { return SessionPtr(); }

void Application::loadShippedBoard()
{
    const std::string file = mBlackBoard->getString("kavri3D/appPath", "") + kShippedBoardFile;
    XmlConfigHelper shipped;
    try {
        shipped.getConfiguration()->readFromXML(file, "");
    } catch (const std::exception& e) {
        if (!yake::FileText::missing(file))
            logLine(Severity::Warning, std::string("shipped settings not read, defaults used: ") + e.what());
        return;
    }
    // What the hooks have set already (paths, command-line switches) wins over the file.
    shipped.merge(XmlConfigHelper(mBlackBoard->getConfiguration(), ""), "");
    mBlackBoard->getConfiguration()->tree().swap(shipped.getConfiguration()->tree());
}

bool Application::startUp()
{
    // Each step's time goes to the log once start-up is done: where the seconds before the
    // first frame go.
    std::ostringstream steps;
    double mark = yake::native::getTime();
    auto step = [&](const char* name) {
        const double t = yake::native::getTime();
        steps << ' ' << name << ' ' << static_cast<int>((t - mark) * 1000) << "ms";
        mark = t;
    };
    mBlackBoard = onCreateBlackBoardImpl();
    if (!mBlackBoard) {
        logLine(Severity::Error, "no blackboard");
        return false;
    }
    // Without a run path of its own the game keeps its logs and settings in the program folder.
    if (mBlackBoard->getString("kavri3D/runPath", "").empty())
        mBlackBoard->setString("kavri3D/runPath", mBlackBoard->getString("kavri3D/appPath", ""));
    loadShippedBoard();
    // Downloads are kept under the run path unless the settings name a cache of their own.
    if (mBlackBoard->getString("kavri3D/cachedPath", "").empty())
        mBlackBoard->setString("kavri3D/cachedPath", mBlackBoard->getString("kavri3D/runPath", "") + "cache/");
    onPrepareLogger();
    mFrameControl = onCreateFrameControlImpl();
    if (!mFrameControl) {
        logLine(Severity::Error, "no frame controller");
        return false;
    }
    step("blackboard");
    if (!onPreInitialise()) {
        logLine(Severity::Error, "pre-initialisation failed");
        return false;
    }
    step("pre-initialise");
    mRenderWindow = onCreateRenderWindow();
    if (!mRenderWindow) {
        // One line the player can act on (it is echoed on standard error).
        const std::string why = mBlackBoard->getString("kavri3D/win32RenderWindowError", "");
        logLine(Severity::Error, "render window creation failed" + (why.empty() ? std::string() : ": " + why));
        return false;
    }
    step("window");
    mAppState = onCreateApplicationStateImpl();
    if (!mAppState || !mAppState->getEngine()) {
        logLine(Severity::Error, "engine start failed");
        return false;
    }
    step("engine");
    mMainFrame = onCreateMainFrame();
    if (!mMainFrame) {
        logLine(Severity::Error, "main frame creation failed");
        return false;
    }
    step("main-frame");
    mSession = onCreateSession();
    step("session");
    if (!onPostInitialise()) {
        logLine(Severity::Error, "post-initialisation failed");
        return false;
    }
    step("post-initialise");
    logLine(Severity::Trace, "start-up:" + steps.str());
    return true;
}

bool Application::runOneFrame()
{
    if (!mFrameControl->pump() || isQuitRequested())
        return false;
    double fps = mBlackBoard->getInt("kavri3D/win32FPS", 60);
    if (fps <= 0)
        fps = 60;
    bool manual = yake::native::isManualClock();
    if (manual && mFrames > 0)
        yake::native::advanceTime(1.0 / fps); // simulated time: one frame per frame
    double now = yake::native::getTime();
    if (mStartTime < 0)
        mStartTime = mLastFrame = now;
    float dt = static_cast<float>(now - mLastFrame);
    mLastFrame = now;
    if (mSession)
        mSession->update(dt);
    if (Engine* e = mAppState->getEngine())
        e->update(dt);
    if (GraphicsSystem* g = mRenderWindow ? mRenderWindow->getGraphics() : nullptr) {
        if (!g->renderOneFrame(dt))
            logLine(Severity::Error, "frame " + std::to_string(mFrames) + " was not drawn");
        else if (g->getFramesRendered() == 1) {
            gFirstFrameTime =
                std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
            gFirstFrameCpuTime = processCpuTime();
            keepBigBlocksApart();
        }
        if (g->isWindowLost()) {
            // Nothing to ask the player in: the run ends as an offline close does.
            logLine(Severity::Trace, "the game window went away: shutting down");
            return false;
        }
        if (g->takeCloseRequest() && onQueryClose()) {
            logLine(Severity::Trace, "window closed by the player");
            return false;
        }
    }
    ++mFrames;

    int maxFrames = mBlackBoard->getInt("kavri3D/quitAfterFrames", 0);
    float maxSeconds = mBlackBoard->getReal("kavri3D/quitAfterSeconds", 0.f);
    if ((maxFrames > 0 && mFrames >= static_cast<unsigned>(maxFrames)) ||
        (maxSeconds > 0 && now - mStartTime >= maxSeconds)) {
        logLine(Severity::Trace, "demo limit reached after " + std::to_string(mFrames) + " frames");
        saveScreenshot();
        return false;
    }
    if (!manual && !mBlackBoard->getBool("kavri3D/unpaced", false)) {
        double next = now + 1.0 / fps;
        double left = next - yake::native::getTime();
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(left));
    }
    return !isQuitRequested();
}

void Application::saveScreenshot()
{
    const std::string file = mBlackBoard->getString("kavri3D/screenshot", "");
    GraphicsSystem* g = mRenderWindow ? mRenderWindow->getGraphics() : nullptr;
    if (!file.empty() && g && g->writeScreenshot(file))
        logLine(Severity::Trace, "screenshot saved to " + file);
}

bool Application::onRun()
{
    if (!mAppState || !mFrameControl || !mBlackBoard)
        return false;
    mAppState->start();
    while (runOneFrame()) {
    }
    return true;
}

void Application::onPreShutdown()
{
    if (mMainFrame)
        mMainFrame->destroy();
    mMainFrame.reset();
}

void Application::onInterShutdown()
{
    if (mAppState && mAppState->getEngine())
        if (ClientStateMachine* m = mAppState->getEngine()->getClientStateMachine())
            m->shutdown();
    mSession.reset();
    mAppState.reset();
}

bool Application::onPostShutdown()
{
    mRenderWindow.reset();
    return true;
}

void Application::releaseFramework()
{
    if (mMainFrame)
        mMainFrame->destroy();
    mMainFrame.reset();
    mSession.reset();
    mAppState.reset();
    mRenderWindow.reset();
    mFrameControl.reset();
}

double Application::lastFirstFrameTime() { return gFirstFrameTime; }

double Application::lastFirstFrameCpuTime() { return gFirstFrameCpuTime; }

namespace {
/// Runs one step of the run; an exception from it is logged and counts as a failure.
template <class Step> bool guarded(const char* what, Step step)
{
    try {
        return step();
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string(what) + " stopped on an exception: " + e.what());
    } catch (...) {
        logLine(Severity::Error, std::string(what) + " stopped on an unknown exception");
    }
    return false;
}
} // namespace

bool runApplication(Application& app)
{
    gBigBlocksApart = false;
    gFirstFrameTime = 0;
    gFirstFrameCpuTime = 0;
    // Whatever the start-up or the frame loop throws, the shut-down still runs in its order
    // (the frame before the client states, the GUI plug-in before the GUI system).
    bool ok = guarded("the start-up", [&] { return app.startUp(); });
    if (ok) {
        // A run without a window draws no first frame to wait for.
        GraphicsSystem* g = app.getRenderWindow() ? app.getRenderWindow()->getGraphics() : nullptr;
        if (!g || g->isHeadless())
            keepBigBlocksApart();
        ok = guarded("the frame loop", [&] { return app.onRun(); });
    }
    guarded("the shut-down", [&] {
        app.onPreShutdown();
        return true;
    });
    guarded("the shut-down", [&] {
        app.onInterShutdown();
        return true;
    });
    bool post = guarded("the shut-down", [&] { return app.onPostShutdown(); });
    guarded("the shut-down", [&] {
        app.releaseFramework();
        return true;
    });
    // Messages the run posted and never took (its own quit message, say) end with it: a later
    // run on this thread must not find them.
    MSG left;
    while (PeekMessageW(&left)) {
    }
    return ok && post;
}

} // namespace core
} // namespace kavri3D
