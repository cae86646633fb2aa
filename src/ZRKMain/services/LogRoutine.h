#pragma once
#include <sstream>
#include <string>

namespace kavri3D {
namespace zrk {

/// How grave a log line is; the settings switch off the severities above a level.
enum LogSeverity : unsigned {
    kLogError = 3,   // something failed: the operation ends
    kLogWarning = 4, // a fall-back was taken
    kLogTrace = 6,   // what the game did, for reading a run back
};

/// The game's one log routine: a severity, the writer's channel name and the text.
void writeLog(unsigned severity, const char* channel, const std::string& message);

/// Builds the text from anything streamable: writeLogf(kLogError, "resx", "missing ", name).
template <class... Parts>
void writeLogf(unsigned severity, const char* channel, const Parts&... parts)
{
    std::ostringstream os;
    (os << ... << parts);
    writeLog(severity, channel, os.str());
}

} // namespace zrk
} // namespace kavri3D
