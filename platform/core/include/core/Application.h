#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>
#include <core/ApplicationConfiguration.h>
#include <core/ApplicationState.h>
#include <core/Frame.h>
#include <core/Session.h>
#include <core/win32RenderWindow.h>
#include <util/Singleton.h>
#include <win32/Windows.h>

namespace kavri3D {
namespace core {

class BlackBoard;
class win32FrameController;

/// The framework's application: it owns the blackboard, the frame controller, the engine,
/// the render window, the main frame and the session, and calls the hooks below from
/// runApplication in a fixed order.
class Application : public Singleton<Application> {
public:
    /// The installation's own blackboard settings (which server list to use and the like),
    /// under the program folder; read at start-up right after the hook made the blackboard.
    static const char* const kShippedBoardFile;

    Application(HINSTANCE instance, const std::string& commandLine);
    virtual ~Application();

    HINSTANCE getInstance() const { return mInstance; }
    const std::string& getCommandLine() const { return mCommandLine; }
    /// The command line split into arguments by the launcher's quoting rule (splitCommandLine).
    const std::vector<std::string>& getArguments() const { return mArguments; }
    /// The first argument after the program that is not a "/name=value" switch; empty when
    /// there is none.
    const std::string& getCmdUri() const { return mCmdUri; }
    const std::string& getAppName() const { return mAppName; }
    /// The name of the application's data folder under the user's data folders.
    const std::string& getAppDataName() const { return mAppDataName; }

    boost::shared_ptr<BlackBoard> getBlackBoard() const { return mBlackBoard; }
    win32FrameController* getFrameControl() const { return mFrameControl.get(); }
    win32RenderWindowPtr getRenderWindow() const { return mRenderWindow; }
    ApplicationStatePtr getApplicationState() const { return mAppState; }
    FramePtr getMainFrame() const { return mMainFrame; }
    SessionPtr getSession() const { return mSession; }
    virtual ApplicationConfiguration& getConfiguration() = 0;

    /// Ends the frame loop after the current frame.
    void requestQuit();
    bool isQuitRequested() const;
    unsigned getFrameCount() const { return mFrames; }

    // Hooks, in the order runApplication calls them.
    virtual boost::shared_ptr<BlackBoard> onCreateBlackBoardImpl();
    virtual std::string onPrepareLogPath();
    virtual void onPrepareLogger();
    virtual boost::shared_ptr<win32FrameController> onCreateFrameControlImpl();
    virtual bool onPreInitialise() { return true; }
    virtual win32RenderWindowPtr onCreateRenderWindow();
    virtual ApplicationStatePtr onCreateApplicationStateImpl();
    virtual FramePtr onCreateMainFrame();
    virtual SessionPtr onCreateSession();
    virtual bool onPostInitialise() { return true; }
    /// The frame loop; false when it could not run.
    virtual bool onRun();
    /// Asked when the player closes the window; true lets it close.
    virtual bool onQueryClose() { return true; }
    /// Base shut-down, in three steps the game's overrides end with: the main frame goes
    /// first (its panels and the GUI's events with it), then the client states, the session
    /// and the engine, and last the render window and the GUI system.
    virtual void onPreShutdown();
    virtual void onInterShutdown();
    virtual bool onPostShutdown();

    /// One frame of the loop (messages, logic, drawing). False once the loop must end.
    bool runOneFrame();

    /// When the last run drew its first frame into a window (steady clock, seconds since its
    /// epoch; 0 when none was drawn). For the start-up benchmark.
    static double lastFirstFrameTime();
    /// The process's processor time (all its threads, in seconds) when that frame was drawn.
    static double lastFirstFrameCpuTime();

protected:
    std::string mAppName;
    std::string mAppDataName = "kavri3D";

private:
    friend bool runApplication(Application& app);
    bool startUp();
    /// Fills the blackboard from kShippedBoardFile; keys already set keep their values.
    void loadShippedBoard();
    void releaseFramework();
    /// Saves the window's picture to "kavri3D/screenshot" when that is set (demo runs).
    void saveScreenshot();

    HINSTANCE mInstance;
    std::string mCommandLine;
    std::vector<std::string> mArguments;
    std::string mCmdUri;
    boost::shared_ptr<BlackBoard> mBlackBoard;
    boost::shared_ptr<win32FrameController> mFrameControl;
    win32RenderWindowPtr mRenderWindow;
    ApplicationStatePtr mAppState;
    FramePtr mMainFrame;
    SessionPtr mSession;
    bool mQuit = false;
    unsigned mFrames = 0;
    double mStartTime = -1;
    double mLastFrame = -1;
};

/// Runs the application: start-up hooks, the frame loop, then the shut-down hooks (which
/// also run after a failed start-up). True when start-up and the loop succeeded.
bool runApplication(Application& app);

/// Splits a command line as the launcher quotes it: quotes group, \" is a quote, backslashes
/// before a quote are halved (win32SplitCommandLine).
std::vector<std::string> splitCommandLine(const std::string& commandLine);

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::Application);
