#pragma once
#include <sstream>
#include <string>
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The plug-in's log lines: severity (3 failures, 4 warnings, 6 traces) under the channel
/// "ZRK_Gui", the text built from anything streamable.
template <class... Parts>
void guiLog(unsigned severity, const Parts&... parts)
{
    std::ostringstream os;
    (os << ... << parts);
    yake::logging::logger::instance().log(severity, "ZRK_Gui", os.str());
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
