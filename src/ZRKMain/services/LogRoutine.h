#pragma once
#include <sstream>
#include <string>
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

/// How grave a log line is: the yake logger's severities under the module's names; the
/// settings switch off the severities above a level.
using LogSeverity = yake::logging::Severity;
constexpr LogSeverity kLogError = LogSeverity::Error;     // something failed: the operation ends
constexpr LogSeverity kLogWarning = LogSeverity::Warning; // a fall-back was taken
constexpr LogSeverity kLogNotice = LogSeverity::Notice;   // worth knowing, not a fault
constexpr LogSeverity kLogTrace = LogSeverity::Trace;     // what the game did, for reading a run back
constexpr LogSeverity kLogDebug = LogSeverity::Debug;     // detail for a developer

/// The game's one log routine: a severity, the writer's channel name and the text.
void writeLog(LogSeverity severity, const char* channel, const std::string& message);

/// Builds the text from anything streamable: writeLogf(kLogError, "resx", "missing ", name).
template <class... Parts> void writeLogf(LogSeverity severity, const char* channel, const Parts&... parts)
{
    std::ostringstream os;
    (os << ... << parts);
    writeLog(severity, channel, os.str());
}

} // namespace zrk
} // namespace kavri3D
