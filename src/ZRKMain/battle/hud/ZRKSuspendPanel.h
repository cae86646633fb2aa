#pragma once
#include <core/CEGUIPanel.h>

#include "battle/BattleRoom.h"

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {

/// The screen over a battle while the game window is not active. One click on it hides it;
/// the room then destroys it on its next frame and takes the mouse back.
class BattleRoom::ZRKSuspendPanel : public core::CEGUIPanel {
public:
    explicit ZRKSuspendPanel(BattleRoom* room);
    ~ZRKSuspendPanel() override;

    /// False without the main frame's top window, or when the layout or its picture set cannot
    /// be loaded (nothing is left behind then).
    bool createWindow() override;
    /// The windows, then the picture set "suspend"; safe to repeat.
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return mRoot; }

    /// A mouse button released on the panel hides it.
    bool onMouseUp(const CEGUI::EventArgs& args);

private:
    BattleRoom* mRoom;
    CEGUI::Window* mRoot = nullptr;
};

} // namespace zrk
} // namespace kavri3D
