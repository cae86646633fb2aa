#pragma once
#include <functional>

namespace kavri3D {
namespace core {
class Frame;
}
namespace zrk {
namespace gui {
class IGuiManager;
}

/// What the rooms need of the layers above them (the GUI plug-in's manager, the main frame),
/// reached through sources those layers register, so that no room includes them.
class RoomHooks {
public:
    typedef std::function<gui::IGuiManager*()> GuiManagerSource;
    typedef std::function<core::Frame*()> FrameSource;
    typedef std::function<void()> RoomRefresher;

    /// The plug-in's loader registers itself; an empty source ends it.
    static void setGuiManagerSource(GuiManagerSource source);
    /// Frames hosted outside a running application (tests) lend themselves here.
    static void setFrameSource(FrameSource source);

    /// The room view's listener registers how a game room's seats are shown afresh; an empty
    /// one ends it.
    static void setRoomRefresher(RoomRefresher refresher);
    /// Shows the seats of the game room afresh (the personal room on entry); nothing without.
    static void refreshRoom();

    /// The GUI plug-in's manager; null without one.
    static gui::IGuiManager* guiManager();
    /// The registered frame, else the running application's main frame; null without.
    static core::Frame* mainFrame();
};

} // namespace zrk
} // namespace kavri3D
