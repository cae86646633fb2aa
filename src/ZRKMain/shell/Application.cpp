#include "shell/Application.h"

#include <boost/filesystem.hpp>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <core/NetClientManager.h>
#include <core/PhysicsManager.h>
#include <util/StringConv.h>
#include <yake/Logger.h>
#include <yake/StringUtil.h>

#include "shell/CAppZRKModule.h"
#include "shell/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

std::string installerPath()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    std::string installer = bb ? bb->section("kavri3D/app/net").getStringVal("Installer", "") : std::string();
    return installer.empty() ? std::string("/files/installer/latest") : installer;
}

std::string applicationPath()
{
    core::NetClientManager* net = core::NetClientManager::getSingletonPtr();
    return net ? net->getApplicationPath() : std::string();
}

} // namespace

Application::Application(HINSTANCE instance, const std::string& commandLine)
    : core::ExampleApplication<Configuration>(instance, commandLine)
{
    mAppName = appModule().getModuleName();
    std::string embedded = getArgument("Embeded");
    if (!embedded.empty())
        mEmbedded = yake::StringUtil::parseBool(embedded);
    if (getArgument("LowIntegrity") == "1") {
        HMODULE shell = LoadLibraryW(L"shell32.dll");
        if (shell) {
            typedef HRESULT (*KnownFolderFn)(const GUID*, DWORD, HANDLE, wchar_t**);
            auto fn = reinterpret_cast<KnownFolderFn>(GetProcAddress(shell, "SHGetKnownFolderPath"));
            wchar_t* path = nullptr;
            if (fn && SUCCEEDED(fn(&FOLDERID_LocalAppDataLow, 0, nullptr, &path)) && path) {
                std::wstring folder(path);
                CoTaskMemFree(path);
                if (!folder.empty()) {
                    if (folder.back() != L'/')
                        folder += L'/';
                    mLowIntegrityFolder = core::win32FolderName(folder) + core::ANSI2WSTR(getAppDataName()) + L"/";
                }
            }
            FreeLibrary(shell);
        }
    }
}

Application::~Application()
{
    if (mNetLibrary)
        FreeLibrary(mNetLibrary);
    mNetLibrary = nullptr;
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
            bb->setString("kavri3D/runPath", core::WSTR2ANSI(mLowIntegrityFolder));
            bb->setString("kavri3D/sharedPath", core::WSTR2ANSI(mLowIntegrityFolder));
        }
    }
    return bb;
}

bool Application::onPreInitialise()
{
    CAppZRKModule& module = appModule();
    module.loadProperties();
    SetCurrentDirectoryW(module.getProgramFolder().c_str());
    module.loadConfig();

    core::BlackBoard& bb = *getBlackBoard();

    core::XmlConfigHelper msgbox = bb.section("kavri3D/gui/msgbox");
    msgbox.setBoolVal("xml", false);
    msgbox.setStringVal("content", "ZRK3DWindowsLook/RichEditboxTrans");

    const std::string cached = bb.getString("kavri3D/cachedPath", "");
    if (!cached.empty()) {
        for (const char* sub : {"temp/*.*", "library/*.*"}) {
            std::wstring pattern = core::ANSI2WSTR(cached + sub);
            wchar_t from[260] = {};
            pattern.copy(from, std::min<std::size_t>(pattern.size(), 258));
            SHFILEOPSTRUCTW op{nullptr, FO_DELETE, from, nullptr,
                               static_cast<unsigned short>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI)};
            SHFileOperationW(&op);
        }
    }

    core::XmlConfigHelper audio = bb.section("kavri3D/subsystem/dsaudio");
    audio.setStringVal("alt_local", bb.getString("kavri3D/appPath", ""));
    audio.setStringVal("alt_remote", applicationPath() + installerPath() + "/files/");
    audio.setStringVal("alt_cache", bb.getString("kavri3D/mediaPath", ""));
    audio.setStringVal("temp_folder", cached + "temp");

    const int severity = bb.getInt("kavri3D/app/config/severity", 6);
    for (unsigned k : {7u, 6u, 5u})
        if (severity < static_cast<int>(k))
            yake::logging::logger::instance().enableSeverity(k, false);

    bb.setInt("kavri3D/win32FPS", 24);

    mNetLibrary = LoadLibraryA("zrk_net.dll");
    return true;
}

core::ApplicationStatePtr Application::onCreateApplicationStateImpl()
{
    return core::ApplicationStatePtr(kavri_3d_StartEngine(*this, mInitialState.c_str()));
}

core::FramePtr Application::onCreateMainFrame()
{
    core::FramePtr frame(new core::Frame(*this));
    return frame->create() ? frame : core::FramePtr();
}

core::SessionPtr Application::onCreateSession() { return core::SessionPtr(); }

bool Application::onPostInitialise()
{
    updateWindowTitle(L"");
    if (core::ClientStateMachine* machine = core::Engine::getSingleton().getClientStateMachine())
        mStateConnection = machine->subscribeToFsmState([this](core::ClientStateMachine& m) { onFsmStateChanged(m); });
    applySavedVolumes();
    applyPhysics();
    return true;
}

void Application::applySavedVolumes()
{
    core::AudioManager* audio = core::AudioManager::getSingletonPtr();
    if (!audio) {
        writeLog(3, "ZRKMain", "no audio manager: saved volumes not applied");
        return;
    }
    core::XmlConfigHelper* config = appModule().getAppConfig();
    const std::string text = config ? config->getStringVal("audio/volume", "") : std::string();
    yake::StringVector items = yake::StringUtil::split(text, " ");
    if (text.empty() || items.empty()) {
        audio->setVolume(0.5f);
        return;
    }
    audio->setVolume(yake::StringUtil::parseInt(items[0]) / 100.0f);
    for (std::size_t i = 1; i < items.size(); ++i)
        core::DefaultAudioHelper::setVolume(static_cast<int>(i - 1), yake::StringUtil::parseInt(items[i]) / 100.0f);
}

void Application::applyPhysics()
{
    core::PhysicsManager* physics = core::PhysicsManager::getSingletonPtr();
    core::PhysicsWorld* world = physics ? physics->getPhysicsWorld() : nullptr;
    if (!world) {
        writeLog(3, "ZRKMain", "no physics world: physics settings not applied");
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
    HWND window = renderWindowHandle();
    if (!window)
        return;
    std::wstring title = core::UTF2WSTR("Kavri 3D");
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
    if (s && s->isOnline())
        return false;
    return true;
}

std::string Application::onPrepareLogPath()
{
    if (mLowIntegrityFolder.empty())
        return core::ExampleApplication<Configuration>::onPrepareLogPath();
    core::win32EnsureFolder(mLowIntegrityFolder);
    return core::WSTR2ANSI(mLowIntegrityFolder);
}

void Application::onPreShutdown()
{
    saveVolumes();
    mAgent.reset();
    core::ExampleApplication<Configuration>::onPreShutdown();
}

void Application::onInterShutdown()
{
    mHikariConnection.disconnect();
    mStateConnection.disconnect();
    core::ExampleApplication<Configuration>::onInterShutdown();
}

bool Application::onPostShutdown()
{
    mGuiLoader.reset();
    return core::ExampleApplication<Configuration>::onPostShutdown();
}

void Application::saveVolumes()
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::AudioManager* audio = engine ? engine->getAudioManager() : nullptr;
    core::XmlConfigHelper* config = appModule().getAppConfig();
    if (!audio || !config)
        return;
    std::ostringstream os;
    os << static_cast<int>(audio->getVolume() * 100.0f);
    for (int channel = 0; channel < 2; ++channel) {
        float v = core::DefaultAudioHelper::getVolume(channel);
        os << ' ';
        if (v < 0)
            os << '-';
        os << static_cast<int>(std::fabs(v) * 100.0f + 0.5f);
    }
    config->setStringVal("audio/volume", os.str());
}

Application* Application::instance() { return dynamic_cast<Application*>(core::Application::getSingletonPtr()); }

core::Frame* Application::mainFrame()
{
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getMainFrame().get() : nullptr;
}

core::ISession* Application::session()
{
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getSession().get() : nullptr;
}

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

void Application::tickPrefetch() {}

void Application::prefetchNow(const std::string&) {}

void Application::backToLogon()
{
    core::ISession* s = session();
    if (s && s->isOnline())
        s->teleportAdv("logon");
}

void Application::exitGame()
{
    core::ISession* s = session();
    if (s && s->isOnline()) {
        s->goDead();
        return;
    }
    if (core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr())
        helper->requestQuit();
    PostQuitMessage(0);
}

void Application::flashWindow()
{
    HWND window = renderWindowHandle();
    if (!window || GetForegroundWindow() == window)
        return;
    FLASHWINFO info{20, window, FLASHW_TRAY, 2, 0};
    FlashWindowEx(&info);
}

std::string Application::getInstallerUrl() { return applicationPath() + installerPath(); }

bool Application::fileExists(const std::string& path)
{
    try {
        return boost::filesystem::exists(path);
    } catch (...) {
        return false;
    }
}

core::ClientStateMachine* Application::stateMachine()
{
    core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr();
    return helper ? helper->getMachine() : nullptr;
}

core::ClientState* Application::currentState()
{
    core::ClientStateMachine* m = stateMachine();
    return m ? m->currentState().get() : nullptr;
}

core::ClientState* Application::currentStateIf(const std::string& name)
{
    core::ClientStateMachine* m = stateMachine();
    return m && m->currentStateName() == name ? m->currentState().get() : nullptr;
}

HWND Application::renderWindowHandle()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb)
        return nullptr;
    const std::string text = bb->getString("kavri3D/win32RenderWindow", "0");
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    HWND window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
    return value != 0 && IsWindow(window) ? window : nullptr;
}

} // namespace zrk
} // namespace kavri3D
