#pragma once
#include <CEGUI/Rect.h>
#include <CEGUI/String.h>
#include <string>
#include <core/CEGUIPanel.h>

#include "battle/BattleRoom.h"
#include "battle/hud/SightingTexture.h"

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {

class ZRKBasicSim;
class ZRKPlayerSim;

/// The own doll's aiming display: a sight in the middle of the screen shaped by the kind of
/// weapon (1 arcing, 2 direct, 3 close, -1 none), the cool-down in two digits, the in-range
/// mark, the force ring of arcing weapons, the distance on the bubbles of players under the
/// sight and, for arcing weapons, the aim assist: it picks the nearest enemy, prompts the
/// force that reaches it, marks its bubble and may switch the doll to charging by itself.
class BattleRoom::ZRKSightingPanel : public core::CEGUIPanel {
public:
    explicit ZRKSightingPanel(BattleRoom* room);
    ~ZRKSightingPanel() override;

    /// False without the main frame's top window, or when "sighting.layout" lacks a window.
    bool createWindow() override;
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return mRoot; }
    void show(bool visible) override;
    /// The per-frame work (the frame time is not used).
    virtual void update(float dt);
    virtual void setMode(int mode);
    int getMode() const { return mMode; }
    /// The enemy the aim assist charges for; null when none.
    virtual ZRKBasicSim* getAutoChargeTarget() const { return mAutoChargeTarget; }

    // What tests look at.
    int getUpdateCount() const { return mUpdates; }
    int getAssistAllowed() const { return mAssistAllowed; }
    bool isPlayerUnderSight() const { return mPlayerUnderSight; }
    bool isNpcUnderSight() const { return mNpcUnderSight; }
    int getStatusLook() const { return mStatusLook; }
    int getFrameCount() const { return mFrameCount; }
    const BattleRoom::SightingTexture& getForceRing() const { return mForceRing; }
    CEGUI::Window* getAimFlash() const { return mAimFlash; }
    /// The window of the layout's name ("cd0", "force/pg"); null when none.
    CEGUI::Window* part(const std::string& path) const;

private:
    void setLockTarget(ZRKBasicSim* target);
    void markBubble(ZRKBasicSim* sim, bool locked);
    bool isUnderSight(ZRKBasicSim* sim);
    bool isInCloseFan(ZRKBasicSim* sim);
    void updateAimFlash(bool onTarget);
    void createForceRing();
    void releaseForceRing();
    void setArea(float offset, float size);
    /// The weapon's fan, range and shell speed, read again only when the weapon changes.
    void readWeaponKeys(ZRKPlayerSim* me);

    BattleRoom* mRoom;
    int mMode = -1;
    CEGUI::String mNormalImage, mActiveImage;
    int mLastLook = -1;
    CEGUI::Window* mRoot = nullptr;
    CEGUI::Window* mAimFlash = nullptr;
    CEGUI::Window* mForceFrame = nullptr;
    CEGUI::Window* mForceGauge = nullptr;
    CEGUI::Window* mBottom = nullptr;
    CEGUI::Window* mStatus = nullptr;
    CEGUI::Window* mAutoMark = nullptr;
    CEGUI::Window* mCd0 = nullptr;
    CEGUI::Window* mCd1 = nullptr;
    int mLastCooldown = -1;
    int mStatusLook = -1;
    CEGUI::Rectf mRootRect, mSheetRect;
    bool mPlayerUnderSight = false, mNpcUnderSight = false;
    int mAssistAllowed = -1;
    int mAutoChargeSetting = -1;
    float mHoldUntil = -1.0f;
    int mFrameCount = 0;
    ZRKBasicSim* mAutoChargeTarget = nullptr;
    BattleRoom::SightingTexture mForceRing;
    /// The weapon whose keys were read last, and what they said.
    std::string mFanWeapon;
    float mFan = 0.0f, mRange = 0.001f, mSpeed = 0.0f;
    bool mKeysRead = false;
    int mUpdates = 0;
};

} // namespace zrk
} // namespace kavri3D
