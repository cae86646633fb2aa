#pragma once
#include <map>
#include <string>
#include <vector>
#include <gui/BagCell.h>
#include <gui/BagData.h>
#include <gui/BlockData.h>
#include "PortraitPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The bag: the twelve worn slots and the cells of the bag proper, each a button showing its
/// item's icon (or name) and carrying a cell record as user data. Clicking an item and then a
/// slot moves it (the slot-exchange event gets "src" and "dst"); each new bag list dresses the
/// player's character in the worn items (the outfit event gets "equlst").
class BagPage : public PortraitPage {
public:
    static constexpr int kKind = 12;
    static constexpr int kIconEventId = 11;
    static constexpr int kBagEventId = 8;
    static constexpr int kOutfitEventId = 9;
    static constexpr int kExchangeEventId = 12;
    static constexpr int kWornSlots = 12;
    static constexpr int kFirstBagSlot = 61;
    static constexpr int kBagCells = 20;

    BagPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
            std::vector<std::string> images, int columns, EventDispatcher& dispatcher);
    ~BagPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The screen came up: it asks for the icons and the bag.
    void onShown();
    /// A click on the cell of that slot, as the player's; false without such a cell.
    bool clickSlot(int slot);
    /// The item the cell of a slot shows (0 for none); the slot selected for a move (0 for none).
    int itemAt(int slot) const;
    int selectedSlot() const { return mSelected; }
    /// The equipment slot name of a worn slot (1 "suite" ... 12 "looks"); "" for any other.
    static std::string slotName(int slot);

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    CEGUI::Window* cellWindow(int slot) const;
    bool onCellClicked(const CEGUI::EventArgs& args);
    void showCell(int slot);
    void dress();

    EventDispatcher& mDispatcher;
    std::map<int, BagCell> mCells;          ///< the windows' user data, by slot
    std::map<int, BagData> mItems;          ///< the last bag list, by slot
    const std::map<int, std::string>* mIcons = nullptr; ///< read in place, owned by the icon event
    std::vector<BlockData> mOutfit;         ///< what the outfit event reads
    std::vector<BlockData*> mOutfitList;
    int mSelected = 0;
    /// Let go with the page, before the plug-in that made them is unloaded.
    std::vector<CEGUI::Event::ScopedConnection> mClickConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
