// The module's entry: the launcher calls GameEntry once; it returns when the game has ended.
#include <algorithm>
#include <clocale>
#include <exception>
#include <cstdint>
#include <string>
#include <vector>
#include <core/Application.h>
#include <util/StringConv.h>
#include <win32/Windows.h>
#include <yake/Logger.h>

#include "services/LogRoutine.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "shell/GameEntry.h"

extern "C" int GameEntry(std::uint32_t, HWND parent, const wchar_t* commandLine)
{
    using namespace kavri3D::zrk;
    DisableThreadLibraryCalls(nullptr);
    std::setlocale(LC_CTYPE, "");
    CoInitialize(nullptr);
    CAppZRKModule& module = appModule();
    module.Init(moduleInstance(), parent);

    const std::string cmd = kavri3D::core::WSTR2UTF(commandLine ? commandLine : L"");
    HANDLE mutex = nullptr;
    int exitCode = 0;
    bool run = true;
    // A switch counts only as a whole argument: text inside the URI never turns the lock off.
    const std::vector<std::string> arguments = kavri3D::core::splitCommandLine(cmd);
    if (std::find(arguments.begin(), arguments.end(), "/mutex=0") == arguments.end()) {
        mutex = CreateMutexW(nullptr, TRUE, L"ZRK_Main");
        if (!mutex) {
            // The lock lives in the data folder: one that is not the player's has no lock to
            // give, and the run goes on only to say so in its box (it plays nothing there).
            run = Application::dataFolderRefused(arguments);
            exitCode = run ? 0 : -1;
        } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
            exitCode = -2;
            run = false;
        }
    }
    if (!run) {
        // Told in the game's log as well, appended to what the running game writes there.
        yake::logging::logger& log = yake::logging::logger::instance();
        const std::string earlier = log.logFile();
        log.setLogFile(Application::logFileFor(arguments), false);
        writeLog(kLogError, "ZRKMain",
                 exitCode == -1 ? "the single-instance lock cannot be made: the game does not start"
                                : "the game is already running: this second start ends");
        log.setLogFile(earlier, false);
    }
    if (run) {
        // Nothing the run throws may cross into the launcher: the lock is released and the
        // settings are written all the same.
        try {
            Application app(moduleInstance(), cmd);
            exitCode = kavri3D::core::runApplication(app) ? 0 : 1;
        } catch (const std::exception& e) {
            writeLogf(kLogError, "ZRKMain", "the game stopped on an exception: ", e.what());
            exitCode = 1;
        } catch (...) {
            writeLog(kLogError, "ZRKMain", "the game stopped on an unknown exception");
            exitCode = 1;
        }
    }
    module.Term();
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    CoUninitialize();
    return exitCode;
}
