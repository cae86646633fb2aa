#include "shell/LogRoutine.h"

#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

void writeLog(unsigned severity, const char* channel, const std::string& message)
{
    std::ostringstream os;
    os << message;
    yake::logging::logger::instance().log(severity, channel ? channel : "", os.str());
}

} // namespace zrk
} // namespace kavri3D
