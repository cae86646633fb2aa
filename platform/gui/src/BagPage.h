#pragma once
#include <core/ScopedEventConnection.h>
#include <functional>
#include <gui/EventId.h>
#include <map>
#include <string>
#include <vector>
#include <gui/BagCell.h>
#include <gui/BagData.h>
#include <gui/BlockData.h>
#include <gui/RoleAttr.h>
#include <gui/ShopData.h>
#include "PortraitPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The bag: the player's figure (the live picture "myself"), the twelve worn slots, the three weapon bags (slots 21-29,
/// 31-39, 41-49), the props bag (51-60) and the cells of the bag proper, each a button showing its item's icon from the
/// GUI's image sets (a placeholder for an icon they lack) and carrying a cell record as user data. Clicking an item and
/// then a slot moves it (the slot-exchange event gets "src" and "dst"); each new bag list dresses the player's
/// character in the worn items (the outfit event gets "equlst").
class BagPage : public PortraitPage {
public:
    static constexpr int kKind = 12;
    static constexpr int kIconEventId = EventId::EqIconLoading;
    static constexpr int kBagEventId = EventId::PackageLoading;
    static constexpr int kOutfitEventId = EventId::EquipmentList;
    static constexpr int kExchangeEventId = EventId::ExChangeSlot;
    static constexpr int kSortEventId = EventId::EquipRange;
    static constexpr int kRecycleEventId = EventId::EquipDrop;
    static constexpr int kFunItemEventId = EventId::UserFunItem;
    static constexpr int kOpenBoxEventId = EventId::BagOpenBox;
    static constexpr int kRankCardEventId = EventId::BagUnlockRank;
    static constexpr int kPricesEventId = EventId::ShopPrices;
    static constexpr int kRenewalEventId = EventId::ShopRenewal;
    static constexpr int kAttrEventId = EventId::PlayerAttrRefresh;
    /// Asks the server for the player's attributes (the header's money).
    static constexpr int kAttrLoadEventId = EventId::PlayerAttrLoading;
    /// The room is told the player is in his bag and what he holds up (a room's own event).
    static constexpr int kBusyEventId = EventId::BattleInf;
    /// The sub-classes the "Use" button acts on: boxes, rank cards and function items (whose
    /// "i_target" says what they do).
    static constexpr int kBoxClass = 41;
    static constexpr int kRankCardClass = 61;
    static constexpr int kFunctionClass = 62;
    static constexpr int kWornSlots = 12;
    static constexpr int kFirstBagSlot = 61;
    /// The bag proper holds up to 60 slots, as many as the world gives the player; a page of
    /// the grid shows 30 of them, the pages turned by "<" and ">".
    static constexpr int kMainSlots = 60;
    static constexpr int kPageCells = 30;
    /// The temporary bag (what a box gave when the bag was full): pages of its own after the
    /// bag's, while it holds anything.
    static constexpr int kFirstTemporarySlot = 201;
    static constexpr int kTemporarySlots = 60;
    static constexpr int kWeaponBags = 3; ///< slots 21-29, 31-39, 41-49
    static constexpr int kWeaponCells = 9;
    static constexpr int kFirstPropSlot = 51;
    static constexpr int kPropCells = 10;
    /// The image that stands for an icon the image sets lack.
    static constexpr const char* kPlaceholder = "placeholder";

    /// `imagesets` (the GUI manager's list) outlives the page.
    BagPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
            std::vector<std::string> images, int columns, EventDispatcher& dispatcher,
            const std::vector<std::string>& imagesets, std::function<void()> back = nullptr);
    ~BagPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The screen came up: it asks for the icons and the bag.
    void onShown();
    /// A click on the cell of that slot, as the player's; false without such a cell.
    bool clickSlot(int slot);
    /// The item the cell of a slot shows (0 for none); the slot selected for a move (0 for none).
    int itemAt(int slot) const;
    int selectedSlot() const { return mSelected; }
    /// The grid's pages: the bag proper's (at least one) then the temporary bag's, if it holds
    /// anything. `page()` counts from 0.
    int page() const { return mPage; }
    int pageCount() const;
    /// Turns the grid's page (clamped to the pages there are); what "<" and ">" do.
    void showPage(int page);
    /// What the line between "<" and ">" says: "Bag 1/2", "Temporary bag 1/1".
    std::string pageText() const;
    /// The slots of the bag proper the world gives the player (30 until the first bag list).
    int bagSize() const { return mBagSize; }
    /// Whether a slot's cell is on the page shown.
    bool onShownPage(int slot) const;

    // The bag's actions, as the player's clicks on its buttons.
    /// "Sort": the bag is sorted.
    void sort();
    /// "Mark": the next clicks on cells mark them for recycling (and unmark), until pressed again.
    void toggleMarking();
    bool isMarking() const { return mMarking; }
    const std::vector<int>& markedSlots() const { return mMarked; }
    /// "Recycle": the marked cells go ("slots"); false when none is marked.
    bool recycleMarked();
    /// "Use": the next click on a cell uses its item (a box, a rank card or a function item).
    void armUse() { mUseArmed = true; }
    /// Uses the item of a cell as "Use" does; `param` is what a renaming item takes. False for a
    /// cell whose item cannot be used.
    bool useSlot(int slot, const std::string& param);
    /// "Renew": the timed item picked up is renewed at its first timed offer of the shop (its
    /// offers are asked for first; the player is asked with the price before anything is
    /// sent); false when no timed item is picked up.
    bool renewSelected();
    /// The answer to the question on the status line ("Yes" / "No"); false when none is open.
    bool answer(bool yes);
    bool isAsking() const { return mAsking; }
    /// What the status line says: the question, or what the last action did.
    const std::string& status() const { return mStatus; }
    /// "Back": the room hears the player left his bag; then the screen it came from.
    void leave();
    /// The equipment slot name of a worn slot (1 "suite" ... 12 "looks"); "" for any other.
    static std::string slotName(int slot);
    /// An item as the bag's pages name it: "Ember Coat +2", "Forge Stone x5".
    static std::string itemText(const BagData& item);

protected:
    void buildContent(CEGUI::Window& frame) override;
    /// "Box 1" ... under the prize-box pictures, tall enough to be read.
    std::string caption(const std::string& image) const override;
    float captionShare() const override { return 0.4f; }
    /// The player's figure stands beside the worn slots, not among the boxes.
    bool inGrid(const std::string& image) const override;

private:
    CEGUI::Window* cellWindow(int slot) const;
    /// The grid's page a slot of the bag proper or the temporary bag is on; -1 for another slot.
    int pageOf(int slot) const;
    /// How many pages the bag proper takes, and the temporary bag.
    int mainPages() const;
    int temporaryPages() const;
    /// Places the bag's cells of the page shown, hides the others, says the page.
    void layOutPage();
    /// The image ("Set/Image") of the item's icon: from the first image set that has it, else
    /// a placeholder; empty when no image set is there at all.
    std::string iconImage(int item);
    /// Loads the image set (its file "<name>.imageset") unless it is there; tried once.
    void loadImageset(const std::string& name);
    bool onCellClicked(const CEGUI::EventArgs& args);
    bool onActionClicked(const CEGUI::EventArgs& args);
    void addActions(CEGUI::Window& frame);
    /// Marking mode on or off, the button saying which.
    void setMarking(bool on);
    void showCell(int slot);
    void dress();
    /// Says `text` on the status line; `asking` shows the Yes and No buttons under it.
    void setStatus(const std::string& text, bool asking = false);
    /// The offers came: the question with the first timed offer's price, the others to pick.
    void askRenewal(const ShopData& offers);
    /// "30 more days at 300 coins" (for the count held).
    std::string renewalText(const ShopPrice& offer) const;
    /// The question asks about timed offer `choice` (from 0) of those listed.
    bool pickRenewal(int choice);
    /// An attribute fill around a recycle: the coins before it, or after it, said.
    void tellRecycleCoins(ParamList& list);
    /// A bag list came: what a renewal or another action asked for, said in words.
    void tellAfterBag();
    /// Tells the room whether the player is in his bag and which item he holds up.
    void tellRoom(bool busy);
    /// What using the last item did, in words (a box, a rank card or a function item).
    std::string usedText(int eventId) const;

    EventDispatcher& mDispatcher;
    std::function<void()> mBack; ///< "Back": the screen the bag was opened from
    const std::vector<std::string>& mImagesets;
    std::vector<std::string> mTriedImagesets;
    std::map<int, BagCell> mCells;                      ///< the windows' user data, by slot
    std::map<int, BagData> mItems;                      ///< the last bag list, by slot
    const std::map<int, std::string>* mIcons = nullptr; ///< read in place, owned by the icon event
    std::vector<BlockData> mOutfit;                     ///< what the outfit event reads
    std::vector<BlockData*> mOutfitList;
    int mSelected = 0;
    int mBagSize = kPageCells; ///< the bag proper's slots, as the last bag list gave them
    int mTemporaryEnd = 0;     ///< one past the highest temporary slot that holds an item, 0 for none
    int mPage = 0;
    int mRenewSlot = 0; ///< the slot whose offers were asked for, 0 for none
    bool mAsking = false;
    std::string mStatus;
    ShopData mRenewOffer;           ///< what the question asked about (its chosen offer)
    std::vector<int> mRenewChoices; ///< the timed offers' places in its prices, as listed
    BagData mRenewItem;             ///< the item renewed, as it was when asked
    bool mRenewSent = false;        ///< the renewal went: the next bag lists tell whether it took
    BagData mShown;                 ///< the item held up, as the room is told of it
    std::vector<int> mRecycled;     ///< the slots the last recycle asked about
    std::string mRecycledNames;     ///< what they held, as the question named it
    enum RecycleStep { RecycleNone, RecycleCoinsBefore, RecycleCoinsAfter };
    RecycleStep mRecycleStep = RecycleNone;
    long long mCoinsBefore = -1; ///< the coins before the recycle, -1 while not known
    bool mSortAsked = false;     ///< "Sort" went: the next bag list says it is done
    struct Move {
        int from = 0, to = 0, item = 0;
    };
    Move mMoved;            ///< the last move sent, told once the bag shows it
    BagData mUsed;          ///< the item "Use" went to last
    std::string mUsedParam; ///< what was typed for it (a new name)
    bool mMarking = false;
    bool mUseArmed = false;
    std::vector<int> mMarked;
    /// Let go with the page, before the plug-in that made them is unloaded.
    std::vector<core::ScopedEventConnection> mClickConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
