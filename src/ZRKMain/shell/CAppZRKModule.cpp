#include "shell/CAppZRKModule.h"

#include <cstdint>

#include <boost/make_shared.hpp>
#include <cstddef>
#include <cstdio>
#include <core/BlackBoard.h>
#include <util/NetServerList.h>
#include <util/StringConv.h>
#include <yake/Configuration.h>
#include <yake/FileText.h>
#include <yake/SetAside.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

const int kIconResource = 103;

std::string blackboardString(const char* key)
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    return bb ? bb->getString(key, "") : std::string();
}

yake::ConfigurationPtr blackboardConfiguration()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    return bb ? bb->getConfiguration() : boost::make_shared<yake::Configuration>();
}

enum class SettingsRead { Read, Missing, Refused };

/// Reads an optional settings file; a missing one leaves `into` empty quietly, one that is
/// there but cannot be read (malformed, too large, nested too deep) is logged once.
SettingsRead readSettingsFile(const std::string& path, core::XmlConfigHelper& into)
{
    try {
        into.getConfiguration()->readFromXML(path, "");
        return SettingsRead::Read;
    } catch (const std::exception& e) {
        into.getConfiguration()->tree().clear();
        if (yake::FileText::missing(path)) {
            writeLogf(kLogTrace, "ZRKMain", "settings file not found: ", path);
            return SettingsRead::Missing;
        }
        writeLogf(kLogWarning, "ZRKMain", "settings file refused, defaults used: ", path, " (", e.what(), ")");
        return SettingsRead::Refused;
    }
}

} // namespace

CAppZRKModule& appModule()
{
    static CAppZRKModule theModule;
    return theModule;
}

// The instance handle is an address inside the module: from it the module finds its own
// file, and with it the program folder.
HINSTANCE moduleInstance() { return reinterpret_cast<HINSTANCE>(&appModule); }

namespace {
// The module whose settings the events write to: the last one made or started.
CAppZRKModule* gSettingsOwner = nullptr;
} // namespace

CAppZRKModule::CAppZRKModule() : mModuleName("ZRK_Main") { ownSettingsHooks(); }

CAppZRKModule::~CAppZRKModule()
{
    // Another module made and gone meanwhile must not leave the running one's hooks cut.
    if (gSettingsOwner != this)
        return;
    gSettingsOwner = nullptr;
    GameServices::hooks().settings = nullptr;
    GameServices::hooks().saveSettings = nullptr;
}

void CAppZRKModule::ownSettingsHooks()
{
    // The events remember the player's choices in the user settings this object holds.
    gSettingsOwner = this;
    GameServices::hooks().settings = [this] { return getAppConfig(); };
    GameServices::hooks().saveSettings = [this] { saveSettings(); };
}

HRESULT CAppZRKModule::Init(HINSTANCE instance, HWND parent)
{
    ownSettingsHooks();
    forgetParent();
    mParent = parent;
    // The launcher hands over the X window the game is to live in by its id.
    if (parent && !IsWindow(parent)) {
        const unsigned long id = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent));
        mParent = win32WindowFromNative(id);
        mOwnsParent = mParent != nullptr;
        if (!mParent)
            writeLogf(kLogError, "ZRKMain", "no window ", id, " to hold the game: it opens a window of its own");
    }
    setProgramFolder(core::win32GetModulePath(core::win32GetModulePath(instance)));
    loadIcons();
    return S_OK;
}

void CAppZRKModule::loadIcons()
{
    releaseResources();
    HINSTANCE inst = moduleInstance();
    mBigIcon = LoadImageW(inst, kIconResource, IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                          LR_SHARED);
    mSmallIcon = LoadImageW(inst, kIconResource, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                            GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

void CAppZRKModule::loadProperties()
{
    std::string path = blackboardString("kavri3D/appPath") + mModuleName + ".properties";
    mProperties = boost::make_shared<core::XmlConfigHelper>();
    readSettingsFile(path, *mProperties);
}

void CAppZRKModule::setProgramFolder(const std::wstring& folder)
{
    mProgramFolder = core::win32FolderName(folder);
    win32SetLibraryFolder(core::WSTR2UTF(mProgramFolder));
}

void CAppZRKModule::loadConfig()
{
    mUserSettingsPath = blackboardString("kavri3D/runPath") + mModuleName + ".xml";
    core::XmlConfigHelper board(blackboardConfiguration(), "");

    core::XmlConfigHelper user;
    const SettingsRead read = readSettingsFile(mUserSettingsPath, user);
    mUserSettingsRefused = read == SettingsRead::Refused;
    if (read == SettingsRead::Read && !user.getStringVal("kavri3D/app/net/Host", "").empty()) {
        // The user's file wins for "kavri3D/app" except the net and msg branches, which keep
        // what the board held before (they come from the installation, not the player).
        core::XmlConfigHelper saved;
        saved.merge(board, "kavri3D/app/net");
        saved.merge(board, "kavri3D/app/msg");
        board.clearValues("kavri3D/app");
        board.merge(user, "kavri3D/app");
        board.merge(saved, "kavri3D/app");
    }

    mAppConfig = boost::make_shared<core::XmlConfigHelper>(board.getConfiguration(), "kavri3D/app");
    mergeAppConfig();
    chooseServer();

    mAppConfig->resetStringVal("msg/muc", "conference");
    mAppConfig->resetStringVal("msg/host", "127.0.0.1");
    mAppConfig->resetStringVal("msg/domain", mAppConfig->getStringVal("msg/host", ""));
    mAppConfig->resetStringVal("player/name", "");
    mAppConfig->resetBoolVal("player/lock", true);
}

void CAppZRKModule::mergeAppConfig()
{
    std::string path = blackboardString("kavri3D/appPath") + mModuleName + "_Config.xml";
    core::XmlConfigHelper file;
    if (readSettingsFile(path, file) != SettingsRead::Read)
        return;
    core::XmlConfigHelper board(blackboardConfiguration(), "");
    board.merge(file, "kavri3D/app/config");
}

void CAppZRKModule::chooseServer()
{
    std::string servers = blackboardString("kavri3D/servers");
    if (servers.empty() || !mAppConfig)
        return;
    core::NetServerList list;
    std::string file = blackboardString("kavri3D/appPath") + servers;
    std::string error;
    if (!list.readFromXmlFile(file, &error))
        writeLogf(kLogWarning, "ZRKMain", "server list not read: ", error);
    std::size_t n = list.size();
    if (n == 0)
        return;
    float r = GameServices::unitRandom();
    std::size_t index = r > 0.f ? static_cast<std::size_t>(r * static_cast<float>(n)) : 0;
    if (index >= n)
        index = n - 1;
    list.at(index).write(*mAppConfig);
}

void CAppZRKModule::forgetParent()
{
    if (mOwnsParent)
        destroyWindowRecord(mParent);
    mOwnsParent = false;
    mParent = nullptr;
}

void CAppZRKModule::Term()
{
    forgetParent();
    releaseResources();
    mProperties.reset();
    saveSettings();
    mAppConfig.reset();
}

void CAppZRKModule::saveSettings()
{
    if (mUserSettingsPath.empty() || !mAppConfig)
        return;
    keepRefusedSettings();
    try {
        core::XmlConfigHelper out;
        out.merge(*mAppConfig, "kavri3D/app");
        if (!out.hasKey("kavri3D/app"))
            out.setStringVal("kavri3D/app", ""); // always a root element
        out.getConfiguration()->writeToXML(mUserSettingsPath, "");
    } catch (const std::exception& e) {
        writeLogf(kLogError, "ZRKMain", "user settings not written: ", mUserSettingsPath, " (", e.what(), ")");
    }
}

void CAppZRKModule::keepRefusedSettings()
{
    if (!mUserSettingsRefused)
        return;
    mUserSettingsRefused = false;
    // The player's file is not lost to the defaults: the last one that could not be read
    // stays beside the new one.
    const std::string bad = yake::SetAside::name(mUserSettingsPath, ".bad", 0);
    if (yake::SetAside::move(mUserSettingsPath, ".bad"))
        writeLogf(kLogWarning, "ZRKMain", "unreadable user settings kept as ", bad);
    else
        writeLogf(kLogError, "ZRKMain", "unreadable user settings could not be kept as ", bad);
}

void CAppZRKModule::releaseResources()
{
    if (mBigIcon)
        DestroyIcon(mBigIcon);
    if (mSmallIcon)
        DestroyIcon(mSmallIcon);
    mBigIcon = mSmallIcon = nullptr;
}

} // namespace zrk
} // namespace kavri3D
