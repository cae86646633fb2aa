// "ZRK_Main.properties" as the module reads it first thing at start-up.
#include <core/BlackBoard.h>
#include <cstdint>

#include "FuzzSupport.h"
#include "shell/CAppZRKModule.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrkfuzz::FuzzSupport::write("ZRK_Main.properties", data, size);
    core::BlackBoard board;
    board.setString("kavri3D/appPath", zrkfuzz::FuzzSupport::folder());
    zrk::CAppZRKModule module;
    module.loadProperties();
    core::XmlConfigHelper* properties = module.getPropertiesConfig();
    (void)properties->getStringVal("properties/version", "");
    (void)properties->getIntVal("properties/build", 0);
    return 0;
}
