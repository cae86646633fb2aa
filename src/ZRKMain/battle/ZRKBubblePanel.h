#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <CEGUI/Vector.h>
#include <core/CEGUIPanel.h>
#include <yake/Vector3.h>

namespace kavri3D {
namespace core {
class BasicPlayer;
}
namespace zrk {

class BattleRoom;
class BubbleInfoProvider;

/// The head bubble that floats over one doll or NPC of a battle. The room's bubble pass makes
/// one per sim and keeps it in the sim's player object ("zrk_bubble"). This one holds what the
/// pass gives it (provider, viewer colour, the two offsets) and no window yet.
class ZRKBubblePanel : public core::CEGUIPanel {
public:
    /// `namePrefix` is the sim's player id (its windows' prefix).
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

    /// False without a provider or without the main frame's top window.
    bool createWindow() override;
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return nullptr; }
    /// Redraws the contents from the provider.
    virtual void refresh();
    /// Per-frame placing over the figure.
    virtual void update(const boost::shared_ptr<core::BasicPlayer>& player);
    virtual void setCarom(int level) { mCarom = level; }
    virtual void setLocked(bool lock) { mLocked = lock; }
    virtual void showDistance(const boost::shared_ptr<core::BasicPlayer>& target,
                              const boost::shared_ptr<core::BasicPlayer>& own, int colour) {}
    /// The normalised screen position of the home point; (-1, -1) while not placed.
    const CEGUI::Vector2f& getScreenPos() const { return mHomeScreen; }

    // What tests look at.
    int getRefreshCount() const { return mRefreshes; }
    int getUpdateCount() const { return mUpdates; }
    bool isLocked() const { return mLocked; }
    int getCarom() const { return mCarom; }

protected:
    BattleRoom* mRoom;
    std::string mNamePrefix;
    yake::math::Vector3 mFocusOffset, mHomeOffset;
    CEGUI::Vector2f mFocusScreen{0.5f, 0.5f}, mHomeScreen{0.5f, 0.5f};
    bool mLocked = false;
    int mViewerColour = 0;
    int mCarom = 0;
    boost::shared_ptr<BubbleInfoProvider> mProvider;
    int mRefreshes = 0;
    int mUpdates = 0;
};

} // namespace zrk
} // namespace kavri3D
