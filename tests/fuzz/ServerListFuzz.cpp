// The server list named by "kavri3D/servers", as the module picks its server from it.
#include <core/BlackBoard.h>
#include <cstdint>
#include <cstdlib>
#include <util/NetServerList.h>
#include <yake/Math.h>

#include "FuzzSupport.h"
#include "shell/CAppZRKModule.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        zrkfuzz::FuzzSupport::quiet();
        yake::math::Math::setRandomSource([] { return 1.0f; }); // the edge: the last entry
        return true;
    }();
    (void)ready;
    const std::string file = zrkfuzz::FuzzSupport::write("servers.xml", data, size);

    core::NetServerList list;
    std::string error;
    const bool read = list.readFromXmlFile(file, &error);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.at(i).host.empty())
            std::abort(); // an entry without a host is never chosen

    core::BlackBoard board;
    board.setString("kavri3D/appPath", zrkfuzz::FuzzSupport::folder());
    board.setString("kavri3D/runPath", zrkfuzz::FuzzSupport::folder());
    board.setString("kavri3D/servers", "servers.xml");
    zrk::CAppZRKModule module;
    module.loadConfig(); // no user file here: the list alone decides the host
    const std::string host = board.getString("kavri3D/app/net/Host");
    if (read && list.size() > 0 && host != list.at(list.size() - 1).host)
        std::abort();
    return 0;
}
