#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <core/ClientStateTable.h>
#include <memory>
#include <string>
#include <vector>
#include <core/AbstractWin32Application.h>

#include "shell/Configuration.h"
#include "shell/ProductPrefetch.h"
#include "shell/ServerHost.h"

namespace Hikari {
class FlashControl;
class FlashValue;
} // namespace Hikari

namespace kavri3D {
namespace core {
class HikariPane;
class ClientStateMachine;
class ClientState;
class Manifest;
class SimpleFileCache;
} // namespace core

namespace zrk {

class CWtlMsgLoopAdapter;
class ResGuiX;
class ZRKAgent;
class ZRKGuiLoader;
class ZRKLan;
class ZRKMsg;
class SpConfig;
struct ZRKServerConfig;

/// The game's application object: built by GameEntry, run by the framework, which calls its
/// start-up hooks, its frame loop and its shut-down hooks. The look-ups the other areas use
/// live in services/GameServices; its static operations of the same names answer from there.
class Application : public core::ExampleApplication<Configuration> {
public:
    Application(HINSTANCE instance, const std::string& commandLine);
    ~Application() override;

    /// The value of the "/name=value" command-line argument; empty when there is none.
    std::string getArgument(const std::string& name) const;
    bool isEmbedded() const { return mEmbedded; }
    const std::wstring& getLowIntegrityFolder() const { return mLowIntegrityFolder; }
    /// The folder "/LowIntegrity=1" keeps the game's data in ("<user data>/kavri3D/"); empty
    /// when the user has no data folder.
    static std::wstring lowIntegrityFolderOf(const std::string& appDataName);
    /// The log file a run with these arguments writes, for a start that ends before it runs
    /// (the -2 and -1 lines go there too).
    static std::string logFileFor(const std::vector<std::string>& arguments);
    /// Whether a run with these arguments keeps its data in a folder that is not the player's
    /// (that run ends with its box, and writes nothing there).
    static bool dataFolderRefused(const std::vector<std::string>& arguments);

    /// A fault the player must be told that ends the run: the box by message key, and the run
    /// ends with exit code 1 once it is answered (at once without a frame to show it in).
    static void endRunWithBox(const std::string& textKey);
    /// Whether the run is to end with exit code 1.
    static bool runFailed();
    /// endRunWithBox's box, or the end at once without a frame.
    static void showEndBox(const std::string& textKey);

    // Start-up hooks.
    boost::shared_ptr<core::BlackBoard> onCreateBlackBoardImpl() override;
    bool onPreInitialise() override;
    core::win32RenderWindowPtr onCreateRenderWindow() override;
    core::ApplicationStatePtr onCreateApplicationStateImpl() override;
    core::FramePtr onCreateMainFrame() override;
    core::SessionPtr onCreateSession() override;
    bool onPostInitialise() override;

    // Shut-down hooks, close query and log folder.
    bool onQueryClose() override;
    std::string onPrepareLogPath() override;
    void onPreShutdown() override;
    void onInterShutdown() override;
    bool onPostShutdown() override;

    /// Empties the cache folders "temp" and "library" under the cache path (files matching
    /// "*.*"); a pattern that does not fit the shell's buffer is skipped with a log line.
    static void cleanCache(const std::string& cachedPath);
    /// Switches off the log severities above the setting ("kavri3D/app/config/severity").
    static void applyLogSeverity(int severity);
    /// Copies the auto-login values of the command URI into "kavri3D/autoLogin/".
    void applyAutoLogin();
    void updateWindowTitle(const std::wstring& suffix);
    /// Logs Flash pane events and binds the movie callbacks of new panes.
    void onHikariPaneSignal(core::HikariPane* pane, int event);
    virtual void bindFlashCallbacks(core::HikariPane* pane);
    virtual void unbindFlashCallbacks(core::HikariPane* pane);
    static Hikari::FlashValue onTeleport(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue onRefresh(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue onGetUid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue onGetSid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue onGetUserInfo(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    static Hikari::FlashValue onGetHostUrl(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args);
    void onFsmStateChanged(core::ClientStateMachine& machine);
    /// Writes the audio volumes as "master channel0 channel1" into the settings.
    void saveVolumes();

    // Accessors that are safe at any time: outside the run they give null or do nothing.
    static Application* instance();
    static core::Frame* mainFrame();
    static core::ISession* session();
    static core::Manifest* manifest();
    static core::SimpleFileCache* fileCache();
    static ZRKAgent* agent();
    static void tickPrefetch();
    /// The background prefetch's pace: true (and the time noted) when more than 0.3 s have
    /// passed since the last step, or on the first call. One pace for the run (one
    /// application per process).
    bool prefetchStepDue(double now);
    static void prefetchNow(const std::string& product);
    static void backToLogon();
    static void exitGame();
    static void flashWindow();
    static std::string getInstallerUrl();
    /// Whether the file is there; in the cache folder only a plain file of the player's counts
    /// (anything else met there is removed).
    static bool fileExists(const std::string& path);

    // Accessors through the client state machine (null without a running engine).
    static core::ClientStateMachine* stateMachine();
    static core::ClientState* currentState();
    static core::ClientState* currentStateIf(const std::string& name);

    /// Sets the audio volumes from the saved "audio/volume" text (master, then channels).
    void applySavedVolumes();
    /// The percentages of an "audio/volume" text, each in its range: the master 0 to 100, the
    /// channels -100 to 100; an unreadable item reads 0.
    static std::vector<int> volumeLevels(const std::string& text);
    /// Sets the physics time factor and step size from the settings.
    void applyPhysics();

private:
    /// Makes the data folder the player's alone, or refuses it (see mDataFolderRefused); the
    /// folder the run keeps its files in comes back in `folder`.
    void claimDataFolder(std::string& folder);
    /// Closes the cache and its "temp" and "library" folders to others; when one is another
    /// user's, the run caches in a scratch folder of its own ("kavri3D/cachedPath" names it).
    void claimCacheFolders(core::BlackBoard& bb);
    /// How the embedded server starts: its world beside the user settings.
    ZRKServerConfig serverConfig() const;

    std::string mInitialState = core::ClientStateTable::kLogon;
    boost::shared_ptr<CWtlMsgLoopAdapter> mMsgLoopAdapter;
    ProductPrefetch mPrefetch;
    boost::shared_ptr<core::SimpleFileCache> mFileCache;
    boost::shared_ptr<ZRKAgent> mAgent;
    boost::shared_ptr<core::Manifest> mManifest;
    boost::shared_ptr<ResGuiX> mResGuiX;
    boost::shared_ptr<ZRKGuiLoader> mGuiLoader;
    boost::signals2::scoped_connection mHikariConnection;
    boost::signals2::scoped_connection mStateConnection;
    boost::shared_ptr<ZRKMsg> mMsg;
    boost::shared_ptr<ZRKLan> mLan;
    boost::shared_ptr<SpConfig> mSpConfig;
    HMODULE mNetLibrary = nullptr;
    std::wstring mLowIntegrityFolder;
    /// Why the data folder is not the player's to use (then the run keeps its files in a
    /// scratch folder of its own and ends with a box); empty when it is.
    std::string mDataFolderRefused;
    /// The data folder was open to others and has been closed to them.
    bool mDataFolderTightened = false;
    /// The run's scratch folders, in place of a refused data folder or another user's cache;
    /// removed with the application.
    std::vector<std::string> mScratchFolders;
    // The embedded game server: its world, built while the window comes up, which the session
    // takes; its file server, up before the first frame, down after every download has been
    // aborted.
    ServerHost mServerHost;
    bool mEmbedded = false;
};

} // namespace zrk
} // namespace kavri3D
