#pragma once
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {
namespace gui {

using yake::logging::Severity;

/// The plug-in's log lines, under the channel "ZRK_Gui".
inline constexpr yake::logging::Channel guiLog{"ZRK_Gui"};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
