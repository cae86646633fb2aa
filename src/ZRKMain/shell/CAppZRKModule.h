#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <util/XmlConfigHelper.h>
#include <win32/Windows.h>
#include <win32/Wtl.h>

namespace kavri3D {
namespace zrk {

/// The one module object: what lives longer than the application (module name, program
/// folder, window icons, the launcher's parent window) and the settings files: the user
/// settings read at start and written at exit, "_Config.xml", ".properties" and the server
/// choice.
class CAppZRKModule : public WTL::CAppModule {
public:
    CAppZRKModule();
    ~CAppZRKModule();

    /// Stores the parent window (a window record, or the launcher's X window by its id), finds
    /// the program folder from the module's own file, loads the icons.
    HRESULT Init(HINSTANCE instance, HWND parent);
    void loadIcons();
    void loadProperties();
    void loadConfig();
    void mergeAppConfig();
    void chooseServer();
    /// Releases the icons and writes the user settings (atomically: a failed write leaves
    /// the settings of the last run in place). A user file that was there but could not be
    /// read at start is first moved aside to "ZRK_Main.xml.bad".
    void Term();
    /// Writes the user settings file now, as the exit does (whole or not at all): called when
    /// a setting the player changed (volumes, the remembered name, the window) is to last.
    void saveSettings();
    /// The run's settings are not to be kept (its data folder was refused and the scratch
    /// folder that held them is gone): the exit writes none.
    void forgetUserSettings() { mUserSettingsPath.clear(); }

    core::XmlConfigHelper* getAppConfig() const { return mAppConfig.get(); }
    core::XmlConfigHelper* getPropertiesConfig() const { return mProperties.get(); }
    const std::string& getModuleName() const { return mModuleName; }
    const std::wstring& getProgramFolder() const { return mProgramFolder; }
    /// A host that runs the module's code from elsewhere (a test's copy of an installation)
    /// names the installation's folder after `Init`; plug-ins are looked for there too.
    void setProgramFolder(const std::wstring& folder);
    const std::string& getUserSettingsPath() const { return mUserSettingsPath; }
    HWND getParentWindow() const { return mParent; }
    HICON getBigIcon() const { return mBigIcon; }
    HICON getSmallIcon() const { return mSmallIcon; }

private:
    /// Points the events' settings hooks at this module (made, or started by Init).
    void ownSettingsHooks();
    void releaseResources();
    /// The record made for the launcher's X window goes.
    void forgetParent();
    void keepRefusedSettings();

    HICON mBigIcon = nullptr;
    HICON mSmallIcon = nullptr;
    HWND mParent = nullptr;
    bool mOwnsParent = false;
    std::string mModuleName;
    std::wstring mProgramFolder;
    boost::shared_ptr<core::XmlConfigHelper> mAppConfig;
    boost::shared_ptr<core::XmlConfigHelper> mProperties;
    std::string mUserSettingsPath;
    bool mUserSettingsRefused = false;
};

/// The module object and the module's instance handle (an address inside the module).
CAppZRKModule& appModule();
HINSTANCE moduleInstance();

} // namespace zrk
} // namespace kavri3D
