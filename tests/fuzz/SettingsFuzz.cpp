// The user settings file and "_Config.xml" as the module reads them at start-up, and the user
// file it writes back at exit, which the next start must be able to read.
#include <core/BlackBoard.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <yake/Configuration.h>

#include "FuzzSupport.h"
#include "shell/CAppZRKModule.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string folder = zrkfuzz::FuzzSupport::folder();
    const std::string user = zrkfuzz::FuzzSupport::write("ZRK_Main.xml", data, size);
    zrkfuzz::FuzzSupport::write("ZRK_Main_Config.xml", data, size);

    core::BlackBoard board;
    board.setString("kavri3D/appPath", folder);
    board.setString("kavri3D/runPath", folder);
    zrk::CAppZRKModule module;
    module.loadConfig();
    core::XmlConfigHelper& app = *module.getAppConfig();
    (void)app.getIntVal("config/severity", 6);
    (void)app.getIntVal("config/gui/fs_mode", 0);
    (void)app.getRealVal("physix/factor", 1.1f);
    (void)app.getIntVal("physix/step", 40);
    (void)app.getStringVal("audio/volume", "");
    (void)app.getBoolVal("player/lock", true);
    (void)app.getStringVal("player/name", "");
    module.Term();

    yake::Configuration written;
    try {
        written.readFromXML(user, "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "the settings written at exit do not read back: %s\n", e.what());
        std::abort();
    }
    return 0;
}
