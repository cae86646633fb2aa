// The command line as GameEntry takes it: wide text from the launcher made UTF-8, split into
// arguments, its switches and the auto-login keys of its address read into the blackboard.
#include <core/BlackBoard.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <win32/Windows.h>
#include <util/StringConv.h>

#include "FuzzSupport.h"
#include "shell/Application.h"
#include "shell/CAppZRKModule.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        zrkfuzz::FuzzSupport::quiet();
        // "/LowIntegrity=1" looks its folder up here, not in the user's own.
        ::setenv("XDG_DATA_HOME", zrkfuzz::FuzzSupport::folder().c_str(), 1);
        return true;
    }();
    (void)ready;

    // Any code point the launcher might hand over, valid or not...
    std::wstring units;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        std::uint32_t unit;
        std::memcpy(&unit, data + i, 4);
        units += static_cast<wchar_t>(unit);
    }
    (void)core::WSTR2UTF(units);
    // ...and the text itself, widened the way the launcher widens its arguments.
    const std::string commandLine = core::WSTR2UTF(core::UTF2WSTR(zrkfuzz::FuzzSupport::text(data, size)));

    // The launcher's quoting and the module's split are one rule: any arguments, quoted by the
    // launcher, split back to themselves.
    const std::vector<std::string> arguments = win32SplitCommandLine(commandLine);
    std::wstring quoted;
    for (const std::string& a : arguments)
        quoted += (quoted.empty() ? L"" : L" ") + win32QuoteArgument(win32WideFromUtf8(a));
    if (win32SplitCommandLine(win32Utf8FromWide(quoted)) != arguments)
        std::abort();

    zrk::Application app(zrk::moduleInstance(), commandLine);
    boost::shared_ptr<core::BlackBoard> board = app.onCreateBlackBoardImpl();
    app.applyAutoLogin();
    for (const char* key : {"_act", "name", "password", "server", "platform", "openid", "openkey", "PROCPARA"})
        (void)board->getString(std::string("kavri3D/autoLogin/") + key);
    for (const char* name : {"Embeded", "LowIntegrity", "mutex", "headless"})
        (void)app.getArgument(name);
    (void)board->getInt("kavri3D/quitAfterFrames");
    (void)board->getReal("kavri3D/quitAfterSeconds");
    return 0;
}
