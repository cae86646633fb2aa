#include "shell/Application.h"

#include <boost/filesystem.hpp>
#include <core/ClientStateTable.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <core/NetClientManager.h>
#include <core/PhysicsManager.h>
#include <core/TimerManager.h>
#include <util/StringConv.h>
#include <yake/FileText.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>
#include <yake/StringUtil.h>
#include <yake/Time.h>

#include <boost/make_shared.hpp>
#include <core/GuiManager.h>
#include <core/SimpleFileCache.h>
#include <core/win32FrameController.h>
#include <hikari/HikariPane.h>
#include <misc/CEGUIAnimationLib.h>
#include <transport/QueryString.h>
#include <transport/TransportService.h>
#include <transport/Uri.h>
#include <scene/DefaultProductResolver.h>
#include <scene/ProductManager.h>
#include <scene/SceneDocumentCache.h>
#include <util/Manifest.h>

#include <data/SpConfig.h>
#include <data/ZRKMsg.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerStart.h>
#include <data/ZRKSession.h>
#include <lan/ZRKLan.h>

#include "agent/ZRKAgent.h"
#include "events/ExitEvent.h"
#include "rooms/BackdropPicture.h"
#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include <land/ZRKLand.h>
#include "battle/BattleLandRoom.h"
#include "battle/BattleRoom.h"
#include "battle/tutorial/BattleRoomNewbie.h"
#include "rooms/AreaRoom.h"
#include "rooms/CreateCharRoom.h"
#include "rooms/PersonalRoom.h"
#include "rooms/PlayerHallRoom.h"
#include "rooms/RoomLogon.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"
#include "shell/AudioVolumes.h"
#include "shell/CAppZRKModule.h"
#include "shell/CWtlMsgLoopAdapter.h"
#include "shell/FlashCallbacks.h"
#include "shell/MainFrame.h"
#include "shell/ProductPrefetch.h"
#include "shell/ResGuiX.h"
#include "shell/WindowGeometry.h"
#include "shell/ZRKGuiLoader.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The run is to end with exit code 1 (endRunWithBox).
bool gRunFailed = false;
/// The box endRunWithBox could not show yet: the frame and the texts it speaks in were not made.
std::string gPendingBox;
/// Times the end box came back over a box that replaced it.
int gEndBoxReturns = 0;
/// The text of the end box shown last.
std::string gEndBox;
/// The game's data folder's name under the user's data folder (the framework's default).
const char kAppDataName[] = "kavri3D";

std::string applicationPath()
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    return net ? net->getApplicationPath() : core::NetClientManager::getRunApplicationPath();
}

} // namespace

Application::Application(HINSTANCE instance, const std::string& commandLine)
    : core::ExampleApplication<Configuration>(instance, commandLine)
{
    // The rooms step the downloads each frame and ask for a product the moment they need it.
    GameServices::hooks().tickPrefetch = &Application::tickPrefetch;
    GameServices::hooks().prefetchNow = &Application::prefetchNow;
    GameServices::hooks().saveVolumes = [this] {
        saveVolumes();
        appModule().saveSettings(); // a changed volume lasts even if this run does not end well
    };
    mAppName = appModule().getModuleName();
    // The screen the game window opens on is read while the rest of the start-up runs.
    if (!yake::StringUtil::parseBool(getArgument("headless")))
        win32PrefetchScreen();
    std::string embedded = getArgument("Embeded");
    if (!embedded.empty())
        mEmbedded = yake::StringUtil::parseBool(embedded);
    if (getArgument("LowIntegrity") == "1")
        mLowIntegrityFolder = lowIntegrityFolderOf(getAppDataName());
    gRunFailed = false;
    gPendingBox.clear();
    gEndBoxReturns = 0;
    gEndBox.clear();
}

std::wstring Application::lowIntegrityFolderOf(const std::string& appDataName)
{
    std::wstring result;
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell)
        return result;
    typedef HRESULT (*KnownFolderFn)(const GUID*, DWORD, HANDLE, wchar_t**);
    auto fn = reinterpret_cast<KnownFolderFn>(GetProcAddress(shell, "SHGetKnownFolderPath"));
    wchar_t* path = nullptr;
    if (fn && SUCCEEDED(fn(&FOLDERID_LocalAppDataLow, 0, nullptr, &path)) && path) {
        std::wstring folder(path);
        CoTaskMemFree(path);
        if (!folder.empty()) {
            if (folder.back() != L'/')
                folder += L'/';
            result = core::win32FolderName(folder) + core::ANSI2WSTR(appDataName) + L"/";
        }
    }
    FreeLibrary(shell);
    return result;
}

namespace {
bool lowIntegrityAsked(const std::vector<std::string>& arguments)
{
    for (const std::string& arg : arguments)
        if (yake::StringUtil::startsWith(arg, "/LowIntegrity=", true) && arg.substr(14) == "1")
            return true;
    return false;
}
} // namespace

std::string Application::logFileFor(const std::vector<std::string>& arguments)
{
    // As the run's own log folder would be (onPrepareLogPath): the data folder with
    // "/LowIntegrity=1", else "logs/" in the program folder.
    const std::string name = appModule().getModuleName();
    if (lowIntegrityAsked(arguments)) {
        const std::wstring folder = lowIntegrityFolderOf(kAppDataName);
        if (folder.empty())
            return std::string();
        core::win32EnsureFolder(folder);
        return core::WSTR2ANSI(folder) + name + ".log";
    }
    const std::string logs = core::WSTR2ANSI(appModule().getProgramFolder()) + "logs/";
    core::win32EnsureFolder(core::ANSI2WSTR(logs));
    return logs + name + ".log";
}

bool Application::dataFolderRefused(const std::vector<std::string>& arguments)
{
    if (!lowIntegrityAsked(arguments))
        return false;
    const std::wstring folder = lowIntegrityFolderOf(kAppDataName);
    return !folder.empty() &&
           yake::PlayerFiles::claimFolder(core::WSTR2ANSI(folder)) == yake::PlayerFiles::Folder::Foreign;
}

void Application::endRunWithBox(const std::string& textKey)
{
    writeLog(kLogError, "ZRKMain", "the run ends: " + textKey);
    gRunFailed = true;
    // Nothing logs in behind the box: the launcher's credentials are not used any more.
    if (core::BlackBoard* bb = core::BlackBoard::getSingletonPtr()) {
        bb->setBool("kavri3D/autoLogin/_act", false);
        bb->setString("kavri3D/autoLogin/password", "");
    }
    // A box shows its words, not its keys, only once the frame and the text library stand.
    if (!(GameServices::frame() && ZRKLan::getSingletonPtr()) && instance()) {
        // A start-up check, before the frame and the texts exist: told in words once they do.
        if (gPendingBox.empty())
            gPendingBox = textKey;
        return;
    }
    showEndBox(textKey);
}

void Application::showEndBox(const std::string& textKey)
{
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        exitGame();
        return;
    }
    // The player's closing ends the run; a box that replaces it does not hide why it ends: the
    // end box comes back over it (unless another end box took its place).
    static boost::signals2::scoped_connection answer;
    gEndBox = textKey;
    answer = frame->messageBox2(
        "error/title1", textKey,
        [textKey](core::DialogBoxResult& r) {
            if (r.button < 0 && textKey != gEndBox)
                return;
            if (r.button < 0 && gEndBoxReturns < 3) {
                ++gEndBoxReturns;
                core::setTimeout(0, [textKey] { showEndBox(textKey); }); // once the replacing box stands
                return;
            }
            exitGame();
        },
        core::Frame::kNoticeBox);
}

bool Application::runFailed() { return gRunFailed; }

Application::~Application()
{
    GameServices::hooks().tickPrefetch = nullptr;
    GameServices::hooks().prefetchNow = nullptr;
    GameServices::hooks().saveVolumes = nullptr;
    // A start-up that ended early leaves no file server nor decoding thread behind.
    mServerHost.stopFileServer();
    BackdropPicture::drop();
    mServerHost.dropWorld();
    if (mNetLibrary)
        FreeLibrary(mNetLibrary);
    mNetLibrary = nullptr;
    // The run's scratch folders go with it; a refused data folder's run keeps no settings, so
    // nothing is written into its scratch folder once it is gone.
    if (!mDataFolderRefused.empty())
        appModule().forgetUserSettings();
    for (const std::string& scratch : mScratchFolders)
        yake::PlayerFiles::removeTree(scratch, true);
}

std::string Application::getArgument(const std::string& name) const
{
    const std::string prefix = "/" + name + "=";
    for (const std::string& arg : getArguments())
        if (yake::StringUtil::startsWith(arg, prefix, true))
            return arg.substr(prefix.size());
    return std::string();
}

boost::shared_ptr<core::BlackBoard> Application::onCreateBlackBoardImpl()
{
    boost::shared_ptr<core::BlackBoard> bb = core::ExampleApplication<Configuration>::onCreateBlackBoardImpl();
    if (bb) {
        bb->setString("kavri3D/appPath", core::WSTR2ANSI(appModule().getProgramFolder()));
        if (!mLowIntegrityFolder.empty()) {
            std::string folder = core::WSTR2ANSI(mLowIntegrityFolder);
            claimDataFolder(folder);
            bb->setString("kavri3D/runPath", folder);
            bb->setString("kavri3D/sharedPath", folder);
        }
    }
    return bb;
}

void Application::claimDataFolder(std::string& folder)
{
    // The player's alone: made 0700, or closed to others when an earlier run left it open. One
    // that is not his is neither read nor written: the run keeps its files in a scratch folder
    // of its own and ends with a box (onPreInitialise).
    std::string why;
    switch (yake::PlayerFiles::claimFolder(folder, &why)) {
    case yake::PlayerFiles::Folder::Foreign: {
        mDataFolderRefused = why.empty() ? folder : why;
        std::string scratch = "/tmp/zrk-run-XXXXXX";
        if (::mkdtemp(&scratch[0])) {
            mScratchFolders.push_back(scratch);
            folder = scratch + "/";
        }
        break;
    }
    case yake::PlayerFiles::Folder::Tightened:
        mDataFolderTightened = true;
        break;
    default:
        break;
    }
}

void Application::applyAutoLogin()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb)
        return;
    bb->setBool("kavri3D/autoLogin/_act", false);
    const std::string uri = getCmdUri();
    if (uri.empty())
        return;
    core::QueryString query(core::Uri(uri).getQueryString());
    if (query.exists("ln") && query.exists("lp")) {
        bb->setBool("kavri3D/autoLogin/_act", true);
        bb->setString("kavri3D/autoLogin/name", query.get("ln"));
        bb->setString("kavri3D/autoLogin/password", query.get("lp"));
        bb->setString("kavri3D/autoLogin/server", query.get("ls"));
    }
    if (query.exists("openid") && query.exists("openkey")) {
        bb->setBool("kavri3D/autoLogin/_act", true);
        bb->setBool("kavri3D/autoLogin/platform", true);
        bb->setString("kavri3D/autoLogin/openid", query.get("openid"));
        bb->setString("kavri3D/autoLogin/openkey", query.get("openkey"));
        if (query.exists("PROCPARA"))
            bb->setString("kavri3D/autoLogin/PROCPARA", query.get("PROCPARA"));
    }
}

bool Application::onPreInitialise()
{
    // The launcher channel reads the auto-login keys while the main frame is built, so they
    // must be in place before anything else.
    applyAutoLogin();

    if (!mDataFolderRefused.empty())
        endRunWithBox("error/data_folder_foreign");
    else if (mDataFolderTightened)
        writeLogf(kLogWarning, "ZRKMain", "the data folder ", core::WSTR2ANSI(mLowIntegrityFolder),
                  " was open to other users: closed to them");

    CAppZRKModule& module = appModule();
    module.loadProperties();
    SetCurrentDirectoryW(module.getProgramFolder().c_str());
    // The first screen's picture decodes on its own thread while the window comes up.
    if (!getBlackBoard()->getBool("kavri3D/headless", false))
        BackgroundScene::prefetchBackdrop();
    mMsgLoopAdapter = boost::make_shared<CWtlMsgLoopAdapter>();
    module.AddMessageLoop(mMsgLoopAdapter.get());
    module.loadConfig();

    core::BlackBoard& bb = *getBlackBoard();

    core::XmlConfigHelper net = bb.section("kavri3D/app/net");
    core::TransportService& transport = core::TransportService::instance();
    transport.setSetting("_MAX_SEND_SPEED", net.getStringVal("_mss", ""));
    transport.setSetting("_MAX_RECV_SPEED", net.getStringVal("_rss", ""));
    transport.setSetting("_LOW_SPEED_LIMIT", net.getStringVal("_lsl", "500"));
    transport.setSetting("_LOW_SPEED_TIME", net.getStringVal("_lst", "25"));
    transport.setSetting("MAX_CLIENT", "2");

    core::XmlConfigHelper msgbox = bb.section("kavri3D/gui/msgbox");
    msgbox.setBoolVal("xml", false);
    msgbox.setStringVal("content", "ZRK3DWindowsLook/RichEditboxTrans");

    claimCacheFolders(bb);
    const std::string cached = bb.getString("kavri3D/cachedPath", "");
    cleanCache(cached);

    core::XmlConfigHelper audio = bb.section("kavri3D/subsystem/dsaudio");
    audio.setStringVal("alt_local", bb.getString("kavri3D/appPath", ""));
    audio.setStringVal("alt_remote", applicationPath() + ServerHost::installerPath() + "/files/");
    audio.setStringVal("alt_cache", bb.getString("kavri3D/mediaPath", ""));
    audio.setStringVal("temp_folder", cached + "temp");

    applyLogSeverity(bb.getInt("kavri3D/app/config/severity", static_cast<int>(kLogTrace)));
    // The embedded server opens its world on a thread of its own while the window comes up
    // (the program folder is the current one from here on, and its log lines are filtered);
    // without a window to wait for, or with no display to make one on, it starts in place.
    if (!bb.getBool("kavri3D/headless", false) && core::GraphicsSystem::displayAvailable())
        mServerHost.openWorld(serverConfig(), yake::native::getTime());

    mServerHost.startFileServer(core::WSTR2UTF(module.getProgramFolder()));

    mManifest = boost::make_shared<core::Manifest>();
    {
        // The list of every data file of the installation: larger than a settings file.
        const std::size_t kManifestLimit = 8 * 1024 * 1024;
        const std::string file = core::WSTR2UTF(module.getProgramFolder()) + "kavri.manifest";
        std::string text, error;
        if (!yake::FileText::read(file, text, error, kManifestLimit)) {
            if (!yake::FileText::missing(file))
                writeLog(kLogWarning, "ZRKMain", "kavri.manifest not read: " + error);
        } else if (!text.empty() && !mManifest->read(text)) {
            writeLog(kLogWarning, "ZRKMain", "kavri.manifest is not a manifest");
        }
    }

    mResGuiX = boost::make_shared<ResGuiX>();

    bb.setInt("kavri3D/win32FPS", 24);

    if (!core::ExampleApplication<Configuration>::onPreInitialise())
        return false;

    mGuiLoader = boost::make_shared<ZRKGuiLoader>();
    if (mGuiLoader->isNull())
        mGuiLoader->load();
    // A plug-in without its exports or objects would give a game with no screens.
    if (mGuiLoader->isNull() || !mGuiLoader->isComplete())
        return false;
    mGuiLoader->registOverlayFactory();

    mNetLibrary = LoadLibraryA("zrk_net.dll");
    return true;
}

void Application::cleanCache(const std::string& cachedPath) { ServerHost::cleanCache(cachedPath); }

void Application::claimCacheFolders(core::BlackBoard& bb)
{
    const std::string cached = bb.getString("kavri3D/cachedPath", "");
    if (cached.empty())
        return;
    // The player's are closed to others again (an older run may have left them open); what
    // another user has there is not used: the run caches in a folder of its own, which goes
    // with it.
    std::string why;
    for (const char* part : {"", "temp", "library"})
        if (!yake::PlayerFiles::claimOwnFolder(cached + part, &why)) {
            std::string scratch = "/tmp/zrk-cache-XXXXXX";
            if (!::mkdtemp(&scratch[0]))
                scratch.clear();
            writeLogf(kLogWarning, "ZRKMain", "the cache is not used (", why, "): this run caches in ",
                      scratch.empty() ? std::string("no folder") : scratch);
            if (!scratch.empty())
                mScratchFolders.push_back(scratch);
            bb.setString("kavri3D/cachedPath", scratch.empty() ? std::string() : scratch + "/");
            return;
        }
}

void Application::applyLogSeverity(int severity)
{
    // Failures and warnings are always kept.
    for (LogSeverity k : {kLogDebug, kLogTrace, kLogNotice})
        if (severity < static_cast<int>(k))
            yake::logging::logger::instance().enableSeverity(static_cast<unsigned>(k), false);
}

core::win32RenderWindowPtr Application::onCreateRenderWindow()
{
    CAppZRKModule& module = appModule();
    HCURSOR cursor = LoadCursorW(getInstance(), 102);
    HICON smallIcon = LoadImageW(getInstance(), 110, IMAGE_ICON, 16, 16, LR_SHARED | LR_DEFAULTSIZE);
    HICON bigIcon = LoadImageW(getInstance(), 110, IMAGE_ICON, 32, 32, LR_SHARED | LR_DEFAULTSIZE);

    HWND parent = module.getParentWindow();
    const bool hasParent = parent != nullptr;
    RECT parentClient{0, 0, 800, 600};
    if (hasParent)
        GetClientRect(parent, &parentClient);
    RECT work{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    core::BlackBoard& bb = *getBlackBoard();
    const WindowGeometry g =
        WindowGeometry::compute(hasParent, parentClient, mEmbedded, bb.getInt("kavri3D/app/config/gui/fs_mode", 0),
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), work);
    mEmbedded = g.embedded;
    if (hasParent)
        bb.setString("kavri3D/win32RenderWindowParent", std::to_string(reinterpret_cast<std::intptr_t>(parent)));
    bb.setInt("kavri3D/win32RenderWindowX", g.x);
    bb.setInt("kavri3D/win32RenderWindowY", g.y);
    bb.setInt("kavri3D/win32RenderWindowW", g.width);
    bb.setInt("kavri3D/win32RenderWindowH", g.height);
    bb.setString("kavri3D/win32RenderWindowStyle", std::to_string(g.style));
    bb.setString("kavri3D/win32RenderWindowStyleEx", std::to_string(g.exStyle));
    bb.setBool("kavri3D/win32FocusActivate", true);
    bb.setBool("kavri3D/win32RenderWindowEmbedded", g.embedded);
    bb.setBool("kavri3D/win32QuitWhenDestroy", true);
    core::XmlConfigHelper grafix = bb.section("kavri3D/app/grafix");
    grafix.setIntVal("fsCX", g.fullScreenWidth);
    grafix.setIntVal("fsCY", g.fullScreenHeight);
    grafix.setIntVal("fsCX0", g.clientWidth);
    grafix.setIntVal("fsCY0", g.clientHeight);
    if (hasParent)
        grafix.setBoolVal("fs", false);
    appModule().saveSettings(); // the window's sizes last even if this run does not end well

    core::win32RenderWindowPtr window(new core::win32RenderWindow("kavri3DAppGuiWindow"));
    if (!window->create(L"", g.style, g.exStyle, cursor, smallIcon))
        return core::win32RenderWindowPtr();
    if (hasParent) {
        if (g.embedded)
            SetFocus(window->getHandle());
        else
            bb.setBool("kavri3D/win32QuitWhenDestroy", false);
    } else {
        window->centerWindow();
    }
    SendMessageW(window->getHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(window->getHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    return window;
}

core::ApplicationStatePtr Application::onCreateApplicationStateImpl()
{
    return core::ApplicationStatePtr(kavri_3d_StartEngine(*this, mInitialState.c_str()));
}

core::FramePtr Application::onCreateMainFrame()
{
    boost::shared_ptr<MainFrame> frame(new MainFrame(*this));
    // Box titles and texts are message keys; the text library turns them into words.
    frame->setTextLookup([](const std::string& key) { return ZRKLan::getMsg(key); });
    return frame->create() ? frame : core::FramePtr();
}

core::SessionPtr Application::onCreateSession()
{
    std::unique_ptr<ZRKServerStart> start = mServerHost.takeWorld();
    boost::shared_ptr<ZRKSession> session(
        new ZRKSession(start ? ZRKGameServer::take(*start) : ZRKGameServer::start(serverConfig())));
    session->getSettings().setBoolVal("reportReentry", false);
    // A newer game's world: this one plays nothing against it and touches none of it.
    if (ZRKGameServer* server = session->getGameServer())
        if (server->worldIsNewer())
            endRunWithBox("error/srv_world_newer");
    return session;
}

ZRKServerConfig Application::serverConfig() const
{
    // "/serverReset=1" seeds the embedded server's world afresh.
    return ServerHost::configFor(getArgument("serverReset") == "1");
}

bool Application::onPostInitialise()
{
    if (!mMsg)
        mMsg.reset(new ZRKMsg);
    if (!mLan)
        mLan.reset(new ZRKLan);
    if (!mSpConfig)
        mSpConfig.reset(new SpConfig);
    updateWindowTitle(L"");
    core::Engine* engine = core::Engine::getSingletonPtr();
    if (core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr) {
        // The game's client states by name; the others join as their rooms are built.
        machine->addState(core::ClientStateTable::kLogon, boost::make_shared<RoomLogon>());
        machine->addState(core::ClientStateTable::kArea, boost::make_shared<AreaRoom>());
        machine->addState(core::ClientStateTable::kPlayerHall, boost::make_shared<PlayerHallRoom>());
        machine->addState(core::ClientStateTable::kBattle, boost::make_shared<BattleRoom>());
        machine->addState(core::ClientStateTable::kTutorial, boost::make_shared<BattleRoomNewbie>());
        // A land made without a room of its own fights in the player's current room.
        ZRKLand::setRoomSource(&BattleLandRoom::currentRoom);
        machine->addState(core::ClientStateTable::kCreateChar, boost::make_shared<CreateCharRoom>());
        machine->addState(core::ClientStateTable::kPersonalRoom, boost::make_shared<PersonalRoom>());
        mStateConnection = machine->subscribeToFsmState([this](core::ClientStateMachine& m) { onFsmStateChanged(m); });
    }

    if (core::GuiManager* gui = engine ? engine->getGuiManager() : nullptr) {
        gui->blockKey(true, true);
        gui->showDebugPanel(false);
        mHikariConnection = gui->subscribeToHikariPaneSignal(
            [this](core::HikariPane* pane, int event) { onHikariPaneSignal(pane, event); });
    }

    mPrefetch.install(core::BlackBoard::getSingleton().getString("kavri3D/cachedPath", ""));

    mFileCache = boost::make_shared<core::SimpleFileCache>();
    mFileCache->create(core::SimpleFileCache::getFolder("temp"));
    mFileCache->setPriority(64);

    core::CEGUIAnimationLib::instance().loadAnimationsFromResource("ceguiAnimations.xml", "General");

    mAgent.reset(new ZRKAgent);
    mAgent->init();

    applySavedVolumes();
    applyPhysics();
    // A fault found before there was a frame to tell it in is told now.
    if (!gPendingBox.empty()) {
        const std::string key = gPendingBox;
        gPendingBox.clear();
        showEndBox(key);
    }
    return true;
}

std::vector<int> Application::volumeLevels(const std::string& text) { return AudioVolumes::levels(text); }

void Application::applySavedVolumes() { AudioVolumes::apply(appModule().getAppConfig()); }

void Application::applyPhysics()
{
    core::PhysicsManager* physics = core::PhysicsManager::getSingletonPtr();
    core::PhysicsWorld* world = physics ? physics->getPhysicsWorld() : nullptr;
    if (!world) {
        writeLog(kLogError, "ZRKMain", "no physics world: physics settings not applied");
        return;
    }
    core::XmlConfigHelper* config = appModule().getAppConfig();
    physics->setTimeFactor(config ? config->getRealVal("physix/factor", 1.1f) : 1.1f);
    int step = config ? config->getIntVal("physix/step", 40) : 40;
    if (step <= 0)
        step = 40; // a zero or negative step would make the simulation step infinite or backwards
    world->setProperty("stepsize", boost::any(1.0f / static_cast<float>(step)));
}

void Application::updateWindowTitle(const std::wstring& suffix)
{
    HWND window = GameServices::renderWindow();
    if (!window)
        return;
    std::wstring title = core::UTF2WSTR(ZRKLan::getMsg("msg/app_title"));
    if (!suffix.empty())
        title += L" " + suffix;
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    std::wstring product = core::ANSI2WSTR(bb ? bb->getString("kavri3D/version/product", "") : std::string());
    if (!product.empty())
        title += L"(" + product + L")";
    SetWindowTextW(window, title.c_str());
}

void Application::onFsmStateChanged(core::ClientStateMachine&) { updateWindowTitle(L""); }

bool Application::onQueryClose()
{
    core::SessionPtr s = getSession();
    if (s && s->isOnline()) {
        // Online the player confirms first; the confirmation ends the session and the game.
        if (ExitEvent* exit = ExitEvent::instance())
            exit->confirmQuit(true);
        return false;
    }
    return true;
}

std::string Application::onPrepareLogPath()
{
    // A refused data folder's run logs where a run without one does: the program folder's "logs/".
    if (!mDataFolderRefused.empty())
        return core::WSTR2ANSI(appModule().getProgramFolder()) + "logs/";
    if (mLowIntegrityFolder.empty())
        return core::ExampleApplication<Configuration>::onPrepareLogPath();
    core::win32EnsureFolder(mLowIntegrityFolder);
    return core::WSTR2ANSI(mLowIntegrityFolder);
}

void Application::onPreShutdown()
{
    saveVolumes();
    // The background scene goes if there is one (built or not); none is made to be destroyed.
    if (BackgroundScene::getSingletonPtr())
        BackgroundScene::destroyInstance();
    BackdropPicture::drop(); // a backdrop never shown (a start straight into a room)
    // The characters leave while their scenes and the graphics still exist.
    RoleManager::destroyInstance();
    if (mMsgLoopAdapter) {
        appModule().RemoveMessageLoop();
        mMsgLoopAdapter.reset(); // its destructor unhooks it from the frame controller
    }
    mMsg.reset();
    mLan.reset();
    mAgent.reset();
    core::ExampleApplication<Configuration>::onPreShutdown();
}

void Application::onInterShutdown()
{
    if (core::SceneDocumentCache* documents = core::DefaultProductResolver::getDocumentCache())
        documents->removeAll();
    core::ProductManager::instance().setDocumentResolver(nullptr, false);
    if (mFileCache) {
        mFileCache->destroy();
        mFileCache.reset();
    }
    mPrefetch.release();
    // Its downloads end with it; only then does the file server go.
    mResGuiX.reset();
    mServerHost.stopFileServer();
    // Before the base shuts the client states and the engine down: the shell follows neither any more.
    mHikariConnection = boost::signals2::connection();
    mStateConnection = boost::signals2::connection();
    core::ExampleApplication<Configuration>::onInterShutdown();
}

bool Application::onPostShutdown()
{
    ZRKLand::setRoomSource(ZRKLand::RoomSource());
    mGuiLoader.reset();
    const bool ok = core::ExampleApplication<Configuration>::onPostShutdown();
    return ok && !gRunFailed;
}

void Application::saveVolumes() { AudioVolumes::save(appModule().getAppConfig()); }

Application* Application::instance() { return dynamic_cast<Application*>(core::Application::getSingletonPtr()); }

core::Frame* Application::mainFrame() { return GameServices::frame(); }

core::ISession* Application::session() { return GameServices::coreSession(); }

core::Manifest* Application::manifest()
{
    Application* app = instance();
    return app ? app->mManifest.get() : nullptr;
}

core::SimpleFileCache* Application::fileCache()
{
    Application* app = instance();
    return app ? app->mFileCache.get() : nullptr;
}

ZRKAgent* Application::agent()
{
    Application* app = instance();
    return app ? app->mAgent.get() : nullptr;
}

bool Application::prefetchStepDue(double now) { return mPrefetch.stepDue(now); }

void Application::tickPrefetch()
{
    if (Application* app = instance())
        app->mPrefetch.tick();
}

void Application::prefetchNow(const std::string& product)
{
    if (Application* app = instance())
        app->mPrefetch.now(product);
}

void Application::backToLogon() { GameServices::backToLogon(); }

void Application::exitGame() { GameServices::exitGame(); }

void Application::flashWindow()
{
    HWND window = GameServices::renderWindow();
    if (!window || GetForegroundWindow() == window)
        return;
    FLASHWINFO info{20, window, FLASHW_TRAY, 2, 0};
    FlashWindowEx(&info);
}

std::string Application::getInstallerUrl() { return applicationPath() + ServerHost::installerPath(); }

bool Application::fileExists(const std::string& path)
{
    // In the cache only the player's own plain file counts; anything else met there goes.
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    const std::string cache = bb ? bb->getString("kavri3D/cachedPath", "") : std::string();
    if (!cache.empty() && path.compare(0, cache.size(), cache) == 0)
        return yake::PlayerFiles::isPlayersFile(path, true);
    try {
        return boost::filesystem::exists(path);
    } catch (...) {
        return false;
    }
}

core::ClientStateMachine* Application::stateMachine() { return GameServices::stateMachine(); }

core::ClientState* Application::currentState() { return GameServices::currentState(); }

core::ClientState* Application::currentStateIf(const std::string& name) { return GameServices::currentStateIf(name); }

void Application::onHikariPaneSignal(core::HikariPane* pane, int event)
{
    static const char* const kWhat[] = {" created.", " destroyed.", " got focus.", " lost focus."};
    if (!pane || event < 0 || event > 3)
        return;
    writeLog(kLogTrace, "flash", "pane " + pane->getName() + kWhat[event]);
    if (event == 0)
        bindFlashCallbacks(pane);
    else if (event == 1)
        unbindFlashCallbacks(pane);
}

void Application::bindFlashCallbacks(core::HikariPane* pane) { FlashCallbacks::bind(pane); }

void Application::unbindFlashCallbacks(core::HikariPane* pane) { FlashCallbacks::unbind(pane); }

Hikari::FlashValue Application::onTeleport(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::teleport(caller, args);
}

Hikari::FlashValue Application::onRefresh(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::refresh(caller, args);
}

Hikari::FlashValue Application::onGetUid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::uid(caller, args);
}

Hikari::FlashValue Application::onGetSid(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::sid(caller, args);
}

Hikari::FlashValue Application::onGetUserInfo(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::userInfo(caller, args);
}

Hikari::FlashValue Application::onGetHostUrl(Hikari::FlashControl* caller, const std::vector<Hikari::FlashValue>& args)
{
    return FlashCallbacks::hostUrl(caller, args);
}

} // namespace zrk
} // namespace kavri3D
