#include "services/LogRoutine.h"

#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

void writeLog(unsigned severity, const char* channel, const std::string& message)
{
    yake::logging::logger::instance().log(severity, channel ? channel : "", message);
}

} // namespace zrk
} // namespace kavri3D
