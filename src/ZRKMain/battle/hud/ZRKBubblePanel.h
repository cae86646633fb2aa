#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <CEGUI/Vector.h>
#include <core/CEGUIPanel.h>
#include <yake/Vector3.h>

#include "battle/BattleRoom.h"

namespace Ogre {
class Camera;
}

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace core {
class BasicPlayer;
}
namespace zrk {

class BubbleInfoProvider;

/// The head bubble that floats over one doll or NPC of a battle: name, title, level or kind,
/// hit and skill points as numbers and bars, a combo title, up to three buffs, and the arrow
/// and distance the sight shows over a target. One layout instance per bubble (its root named
/// after the sim) in one shared container window. The room's bubble pass makes one per sim,
/// keeps it in the sim's player object ("zrk_bubble") and places it every frame; the event
/// handlers refresh it.
class BattleRoom::ZRKBubblePanel : public core::CEGUIPanel {
public:
    /// `namePrefix` is the sim's player id (its root window's name).
    ZRKBubblePanel(BattleRoom* room, const std::string& namePrefix);
    ~ZRKBubblePanel() override;

    void setInfoProvider(const boost::shared_ptr<BubbleInfoProvider>& provider) { mProvider = provider; }
    const boost::shared_ptr<BubbleInfoProvider>& getInfoProvider() const { return mProvider; }
    /// The team colour of the local doll (the bubble's colours tell friend from foe).
    void setViewerColour(int colour) { mViewerColour = colour; }
    int getViewerColour() const { return mViewerColour; }
    /// Where the bubble sits above the figure's feet; the room fills it after createWindow.
    yake::math::Vector3& focusOffset() { return mFocusOffset; }
    /// The point the sight tests, above the figure's feet.
    yake::math::Vector3& homeOffset() { return mHomeOffset; }
    const std::string& getNamePrefix() const { return mNamePrefix; }

    /// False without a provider, without the main frame's top window, or when the layout
    /// cannot be loaded.
    bool createWindow() override;
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return mRoot; }
    /// Redraws the contents from the provider.
    virtual void refresh();
    /// Per-frame placing over the figure.
    /// The lowest a bubble may stand, as a share of the screen's height (the battle bar's top):
    /// a figure below it, or off the screen's foot, keeps its bubble above the bar.
    void setFloor(float floor) { mFloor = floor > 0.0f && floor <= 1.0f ? floor : 1.0f; }
    /// The highest a bubble may stand (under a lesson's guide box, whose words it must not
    /// cover); 0 for the screen's top.
    void setCeiling(float ceiling) { mCeiling = ceiling > 0.0f && ceiling < 1.0f ? ceiling : 0.0f; }
    virtual void update(const boost::shared_ptr<core::BasicPlayer>& player);
    /// The combo title: 1 "nice", 2 "cool", 3 "perfect", anything else none.
    virtual void setCarom(int level);
    /// The lock marker: the name blinks while locked.
    virtual void setLocked(bool lock);
    /// The arrow and the distance to the target in whole thirds of a unit ("2M" for 8.9).
    virtual void showDistance(const boost::shared_ptr<core::BasicPlayer>& target,
                              const boost::shared_ptr<core::BasicPlayer>& own, int colour);
    /// The normalised screen position of the home point; (-1, -1) while not placed.
    const CEGUI::Vector2f& getScreenPos() const { return mHomeScreen; }

    /// The camera that places bubbles (the default scene's); tests set one.
    void setCamera(Ogre::Camera* camera) { mCamera = camera; }
    /// The shared container of every bubble.
    static const char* const kContainer;

    // What tests look at.
    int getRefreshCount() const { return mRefreshes; }
    int getUpdateCount() const { return mUpdates; }
    bool isLocked() const { return mLocked; }
    int getCarom() const { return mCarom; }
    int getSkipFrames() const { return mSkipFrames; }
    bool isOffscreen() const { return mOffscreen; }
    /// The window of the layout's name ("hp", "buff2"); null when the layout lacks it.
    CEGUI::Window* part(const std::string& name) const;

protected:
    /// Places the root with its bottom edge on the world point.
    void placeAt(const yake::math::Vector3& p);
    void drawBar(CEGUI::Window* text, CEGUI::Window* bar, float width, int value, int maximum, int& last, int& lastMax);

    BattleRoom* mRoom;
    CEGUI::Window* mContainer = nullptr;
    CEGUI::Window* mRoot = nullptr;
    CEGUI::Window* mBg = nullptr;
    CEGUI::Window* mNameText = nullptr;
    CEGUI::Window* mTitleText = nullptr;
    CEGUI::Window* mIcon = nullptr;
    CEGUI::Window* mHpText = nullptr;
    CEGUI::Window* mCaromWindow = nullptr;
    CEGUI::Window* mHpBar = nullptr;
    CEGUI::Window* mSpText = nullptr;
    CEGUI::Window* mSpBar = nullptr;
    CEGUI::Window* mDistanceText = nullptr;
    CEGUI::Window* mArrow = nullptr;
    CEGUI::Window* mBuffs[3] = {};
    Ogre::Camera* mCamera = nullptr;
    std::string mNamePrefix;
    yake::math::Vector3 mFocusOffset, mHomeOffset;
    CEGUI::Vector2f mFocusScreen{0.5f, 0.5f}, mHomeScreen{0.5f, 0.5f};
    bool mOffscreen = false;
    bool mRefreshStatic = true;
    int mSkipFrames = 0;
    float mLastX = -1.0f, mLastY = -1.0f;
    float mSpBarWidth = 0.0f, mHpBarWidth = 0.0f;
    /// The first refresh always draws (a sentinel no value equals); a new maximum redraws too.
    static constexpr int kNever = -0x7FFFFFFF;
    float mFloor = 1.0f;
    float mCeiling = 0.0f;
    int mLastHp = kNever, mLastSp = kNever, mLastXhp = kNever, mLastXsp = kNever, mLastDistance = kNever;
    std::string mBuffIcons[3];
    bool mLocked = false;
    int mViewerColour = 0;
    int mCarom = 0;
    boost::shared_ptr<BubbleInfoProvider> mProvider;
    int mRefreshes = 0;
    int mUpdates = 0;
};

} // namespace zrk
} // namespace kavri3D
