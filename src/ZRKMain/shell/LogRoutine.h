#pragma once
#include <sstream>
#include <string>

namespace kavri3D {
namespace zrk {

/// The game's one log routine: a severity (3 failures, 4 warnings, 6 traces), the writer's
/// channel name and the text.
void writeLog(unsigned severity, const char* channel, const std::string& message);

/// Builds the text from anything streamable: writeLogf(3, "resx", "missing ", name).
template <class... Parts>
void writeLogf(unsigned severity, const char* channel, const Parts&... parts)
{
    std::ostringstream os;
    (os << ... << parts);
    writeLog(severity, channel, os.str());
}

} // namespace zrk
} // namespace kavri3D
