#pragma once
#include <core/ScopedEventConnection.h>
#include <array>
#include <functional>
#include <gui/EventId.h>
#include <map>
#include <string>
#include <vector>
#include <gui/BagData.h>
#include <gui/IGuiWrapper.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The forge: four tabs (enhance, refine, mix, enchase) over the items of the bag it can work
/// with (equipment, stones, metals and gems), in pages of cells turned by "<" and ">". The
/// player drags an item and its stones from the bag cells onto the tab's places (or clicks a
/// cell and then a place); "Preview" asks what it would cost and how likely it is, "Go" does
/// it, and the result and the bag as it now is come back. The enchase tab shows a gem place
/// for each hole of the item, with the gem a hole already holds.
class ForgePage : public GuiPage {
public:
    static constexpr int kKind = 20; // a screen of its own, no panel's
    static constexpr int kIconEventId = EventId::EqIconLoading;
    static constexpr int kBagEventId = EventId::PackageLoading;
    static constexpr int kFirstBagSlot = 61;
    /// The bag proper's slots (the world gives a player up to 60).
    static constexpr int kBagSlots = 60;
    /// The cells of one page of the forge's list.
    static constexpr int kPageCells = 20;
    static constexpr int kPlaces = 6;
    /// The gem places of the enchase tab, after its item place.
    static constexpr int kGemPlaces = 5;
    enum Tab { Enhance, Refine, Mix, Enchase, Tabs };
    /// What the game hands the GUI on request (an item's record by id); null before it gave it.
    typedef std::function<IGuiWrapper*()> GameSource;

    ForgePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
              EventDispatcher& dispatcher, std::function<void()> back, GameSource game = nullptr);
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
    /// True while a preview or a Go of this page waits for the forge's answer (a mix's Go from
    /// the yes to its question on); a Go holds on until the bag after it is shown.
    bool waiting() const { return mWaiting != 0; }
    /// True while the question before a mix is open.
    bool askingMix() const { return mMixBox != nullptr; }
    /// The bag slots the forge lists (the items it can work with), in slot order.
    const std::vector<int>& listed() const { return mListed; }
    /// The list's pages: `page()` from 0; `showPage` turns it (clamped), as "<" and ">" do.
    int page() const { return mPage; }
    int pageCount() const;
    void showPage(int page);
    /// Whether the cell of a bag slot is on the page shown.
    bool onShownPage(int slot) const;
    /// The holes of the item on the enchase tab's item place, each the gem it holds (0: empty);
    /// empty without an item there (or for an item without holes).
    std::vector<int> holes() const;

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
    /// A gem's name, from the game's records or the bag; "gem <id>" when neither knows it.
    std::string gemName(int itemId) const;
    /// The question box before a mix: held until it closes; a yes holds Go until the answer.
    void watchMixBox();
    void onMixBoxClosed();
    /// Empties the enchase tab's gem places that stand past the item's holes or on a set gem.
    void fitGemPlaces();
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
    GameSource mGame;
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
    std::vector<int> mListed;      ///< the slots of the forge's list, in slot order
    int mPage = 0;
    CEGUI::Window* mMixBox = nullptr; ///< the question before a mix while it is open
    bool mMixYes = false;             ///< its first button (or Enter) was taken
    bool mMixAnswered = false;        ///< the mix's answer came while the box was open
    std::vector<core::ScopedEventConnection> mMixBoxConnections;
    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
