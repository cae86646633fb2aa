#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

/// The chat channel a line is sent on: the room channels, and one player alone.
enum ChannelType : int {
    ChannelNone = 0,
    ChannelRoom = 1,
    ChannelTeam = 2,
    ChannelPrivate = 8,
    ChannelZone = 16,
    ChannelCry = 32,
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
