#pragma once
#include <core/CEGUIPanel.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;
class ZRKBasicSim;

/// The own doll's aiming display. The room makes it with its scene and drives it every frame
/// while it is shown; the doll handler sets its mode (1 arcing, 2 direct, 3 close, -1 none)
/// from the current weapon and shows it while the doll may act. This one keeps its mode and
/// visibility and has no window and no target yet.
class ZRKSightingPanel : public core::CEGUIPanel {
public:
    explicit ZRKSightingPanel(BattleRoom* room);
    ~ZRKSightingPanel() override;

    /// False without the main frame's top window.
    bool createWindow() override;
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return nullptr; }
    void show(bool visible) override { mVisible = visible; }
    bool isVisible() override { return mVisible; }
    /// The per-frame work (the frame time is not used).
    virtual void update(float dt) { ++mUpdates; }
    virtual void setMode(int mode) { mMode = mode; }
    int getMode() const { return mMode; }
    /// The enemy the aim assist charges for; none.
    virtual ZRKBasicSim* getAutoChargeTarget() const { return nullptr; }

    int getUpdateCount() const { return mUpdates; }

protected:
    BattleRoom* mRoom;
    int mMode = -1;
    bool mVisible = false;
    int mUpdates = 0;
};

} // namespace zrk
} // namespace kavri3D
