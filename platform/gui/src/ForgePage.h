#pragma once
#include <core/ScopedEventConnection.h>
#include <array>
#include <gui/EventId.h>
#include <map>
#include <string>
#include <vector>
#include <gui/BagData.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The forge: four tabs (enhance, refine, mix, enchase) over the cells of the bag. The player
/// drags an item and its stones from the bag cells onto the tab's places (or clicks a cell and
/// then a place); "Preview" asks what it would cost and how likely it is, "Go" does it, and
/// the result and the bag as it now is come back.
class ForgePage : public GuiPage {
public:
    static constexpr int kKind = 20; // a screen of its own, no panel's
    static constexpr int kIconEventId = EventId::EqIconLoading;
    static constexpr int kBagEventId = EventId::PackageLoading;
    static constexpr int kFirstBagSlot = 61;
    static constexpr int kBagCells = 20;
    static constexpr int kPlaces = 6;
    enum Tab { Enhance, Refine, Mix, Enchase, Tabs };

    ForgePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
              EventDispatcher& dispatcher, std::function<void()> back);
    ~ForgePage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The screen came up: it asks for the icons and the bag.
    void onShown();

    // What the player does, as the mouse does it.
    void selectTab(Tab tab);
    /// Puts the item of a bag cell onto a place of the tab (0 the item, then the stones); false
    /// when either is not there.
    bool place(int slot, int place);
    bool preview() { return send(1); }
    bool go() { return send(2); }
    /// What the tab still needs before the forge can be asked, in the player's words; empty
    /// when its pieces are complete.
    std::string missing() const;
    /// True while a preview or a Go of this page waits for the forge's answer.
    bool waiting() const { return mWaiting != 0; }

    Tab tab() const { return mTab; }
    /// The bag slot on a place of the current tab; -1 for none.
    int placed(int place) const { return mPlaced[mTab][static_cast<std::size_t>(place)]; }
    /// The result text shown last.
    const std::string& result() const { return mResult; }
    const std::map<int, BagData>& items() const { return mItems; }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    bool send(int flags);
    /// The pieces changed or the bag came back: the preview is asked again (or, while an
    /// answer is out, once it is in); an incomplete tab says what it lacks instead.
    void piecesChanged();
    void compose();
    void showTab();
    void showCells();
    std::string cellText(int slot) const;
    void showResult(int eventId, ParamList& list);
    /// What a Go of the tab did, in words, from the value the forge gives back.
    std::string doneText(int value) const;
    CEGUI::Window* child(const std::string& name) const;
    bool onCellDown(const CEGUI::EventArgs& args);
    bool onCellUp(const CEGUI::EventArgs& args);
    bool onPlaceClicked(const CEGUI::EventArgs& args);

    EventDispatcher& mDispatcher;
    std::function<void()> mBack;
    Tab mTab = Enhance;
    int mMixType = 1;
    std::array<std::array<int, kPlaces>, Tabs> mPlaced;
    std::map<int, BagData> mItems; ///< the last bag list, by slot
    const std::map<int, std::string>* mIcons = nullptr;
    int mHeld = 0;                 ///< the bag slot picked up, 0 for none
    std::string mPreviewText;      ///< the last preview of the tab
    std::string mDoneText;         ///< what the last Go of the tab did
    std::string mStatus;           ///< what the page is doing or waits for
    std::string mResult;           ///< the three above, as shown
    std::string mMade;             ///< refine: the name of what the last preview said it makes
    int mWaiting = 0;              ///< the event id whose answer is out, 0 for none
    bool mPreviewWanted = false;   ///< a change came while an answer was out
    bool mPreviewAfterBag = false; ///< a Go went through: ask again once the bag is back
    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
