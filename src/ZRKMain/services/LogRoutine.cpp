#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

void writeLog(LogSeverity severity, const char* channel, const std::string& message)
{
    yake::logging::Channel(channel ? channel : "")(severity, message);
}

} // namespace zrk
} // namespace kavri3D
